// The program's start as main.cpp makes it, on the settings folder the
// environment names, ended at the main window's first paint.
#include <QApplication>
#include <QEvent>

#include "app/program.h"
#include "app/qt/qt_toolkit.h"
#include "widgets/qt/form_support.h"

struct EndAtFirstPaint : QObject {
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) QCoreApplication::exit(0);
    return false;
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setWindowIcon(quillon::quillon_icon());
  QApplication::setQuitOnLastWindowClosed(false);
  quillon::QtToolkit toolkit;
  quillon::Program program(toolkit);
  if (!program.start()) return 1;
  EndAtFirstPaint end;
  dynamic_cast<QWidget*>(program.main_window())->installEventFilter(&end);
  return QApplication::exec();
}

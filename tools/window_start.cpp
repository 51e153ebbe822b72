// The program's start as main.cpp makes it, on the settings folder the
// environment names, ended at the main window's first paint.
#include <QApplication>
#include <QWidget>

#include "app/program.h"
#include "first_paint.h"
#include "qt/qt_toolkit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  quillon::prepare_application();
  quillon::QtToolkit toolkit;
  quillon::Program program(toolkit);
  if (!program.start()) return 1;
  EndAtFirstPaint end;
  dynamic_cast<QWidget*>(program.main_window())->installEventFilter(&end);
  return QApplication::exec();
}

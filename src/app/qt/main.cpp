// quillon: the main window and the settings dialog.
#include <QApplication>

#include "app/program.h"
#include "app/qt/qt_toolkit.h"
#include "widgets/qt/form_support.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setWindowIcon(quillon::quillon_icon());
  // The program ends itself when its one window goes; Qt's own rule would
  // also react to a message box closing while no window stands.
  QApplication::setQuitOnLastWindowClosed(false);

  quillon::QtToolkit toolkit;
  quillon::Program program(toolkit);
  if (!program.start()) return 0;
  return QApplication::exec();
}

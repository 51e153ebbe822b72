// quillon: the main window and the settings dialog.
#include <QApplication>

#include "app/program.h"
#include "qt/qt_toolkit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  quillon::prepare_application();
  quillon::QtToolkit toolkit;
  quillon::Program program(toolkit);
  if (!program.start()) return 0;
  return QApplication::exec();
}

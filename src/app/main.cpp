// quillon: the main window and the settings dialog.
#include <QApplication>

#include "app/startup.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setWindowIcon(quillon::quillon_icon());
  // The controller ends the program itself when its one window goes; Qt's own
  // rule would also react to a message box closing while no window stands.
  QApplication::setQuitOnLastWindowClosed(false);

  quillon::AppController controller;
  if (!controller.start()) return 0;
  return QApplication::exec();
}

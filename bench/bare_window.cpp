// A bare Qt window of the main window's size, shown, ended at its first paint:
// the floor that window_start is measured against.
#include <QApplication>
#include <QWidget>

#include "first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setFixedSize(408, 82);
  EndAtFirstPaint end;
  window.installEventFilter(&end);
  window.show();
  return QApplication::exec();
}

#include "qt/qt_toolkit.h"

#include <QApplication>

#include "qt/Frmsetteiftp.h"
#include "qt/form_support.h"
#include "qt/frmstartftp.h"

namespace quillon {

void prepare_application() {
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setWindowIcon(quillon_icon());
  // The program ends itself when its one window goes; Qt's own rule would
  // also react to a message box closing while no window stands.
  QApplication::setQuitOnLastWindowClosed(false);
}

// Each window deletes itself when the program closes it.
MainView& QtToolkit::create_main_window(MainForm& form) { return *new frmstartftp(form); }

SettingsView& QtToolkit::create_settings_dialog(SettingsForm& form) { return *new Frmsetteiftp(form); }

// A queued call on the application object: run by the window's event loop,
// in the order queued.
PostToWindow QtToolkit::post_to_window() {
  return [](std::function<void()> task) { QMetaObject::invokeMethod(qApp, std::move(task), Qt::QueuedConnection); };
}

void QtToolkit::quit() {
  if (on_quit_) {
    on_quit_();
  } else {
    QCoreApplication::quit();
  }
}

}  // namespace quillon

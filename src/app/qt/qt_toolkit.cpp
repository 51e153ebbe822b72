#include "app/qt/qt_toolkit.h"

#include <QCoreApplication>

#include "app/qt/frmstartftp.h"
#include "settings_dialog/Frmsetteiftp.h"

namespace quillon {

// Each window deletes itself when the program closes it.
MainView& QtToolkit::create_main_window(MainForm& form) { return *new frmstartftp(form); }

SettingsView& QtToolkit::create_settings_dialog(SettingsForm& form) {
  return *new Frmsetteiftp(form);
}

void QtToolkit::quit() {
  if (on_quit_) {
    on_quit_();
  } else {
    QCoreApplication::quit();
  }
}

}  // namespace quillon

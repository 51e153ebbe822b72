#include "win32/win32_toolkit.h"

#include "win32/Frmsetteiftp.h"
#include "win32/frmstartftp.h"

namespace quillon::win32 {

// Each window deletes itself once the program has closed it.
MainView& Win32Toolkit::create_main_window(MainForm& form) { return *new frmstartftp(form); }

SettingsView& Win32Toolkit::create_settings_dialog(SettingsForm& form) { return *new Frmsetteiftp(form); }

void Win32Toolkit::quit() {
  if (on_quit_) {
    on_quit_();
  } else {
    ::PostQuitMessage(0);
  }
}

}  // namespace quillon::win32

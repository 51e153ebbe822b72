#include "win32/win32_toolkit.h"

#include "win32/Frmsetteiftp.h"
#include "win32/form_window.h"
#include "win32/frmstartftp.h"

namespace quillon::win32 {

// Each window deletes itself once the program has closed it.
MainView& Win32Toolkit::create_main_window(MainForm& form) { return *new frmstartftp(form); }

SettingsView& Win32Toolkit::create_settings_dialog(SettingsForm& form) { return *new Frmsetteiftp(form); }

Win32Toolkit::~Win32Toolkit() {
  if (post_window_ != nullptr) ::DestroyWindow(post_window_);
}

PostToWindow Win32Toolkit::post_to_window() {
  if (post_window_ == nullptr) post_window_ = make_post_window();
  if (post_window_ == nullptr) return {};  // no window to post to: the run holds this thread, as it may
  return [target = post_window_](std::function<void()> task) { post_task(target, std::move(task)); };
}

void Win32Toolkit::quit() {
  if (on_quit_) {
    on_quit_();
  } else {
    ::PostQuitMessage(0);
  }
}

}  // namespace quillon::win32

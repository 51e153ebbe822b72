#pragma once
// The two windows made in Win32.
#include <windows.h>

#include <functional>

#include "app/program.h"

namespace quillon::win32 {

class Win32Toolkit final : public Toolkit {
 public:
  // `on_quit` none: the message loop ends.
  explicit Win32Toolkit(std::function<void()> on_quit = {}) : on_quit_(std::move(on_quit)) {}
  MainView& create_main_window(MainForm& form) override;
  SettingsView& create_settings_dialog(SettingsForm& form) override;
  void quit() override;
  // Posted messages to a window of its own on the windows' thread.
  PostToWindow post_to_window() override;
  ~Win32Toolkit() override;

 private:
  std::function<void()> on_quit_;
  HWND post_window_ = nullptr;
};

}  // namespace quillon::win32

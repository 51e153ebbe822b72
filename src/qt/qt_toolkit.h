#pragma once
// The two windows made in Qt.
#include <functional>

#include "app/program.h"

namespace quillon {

// The application object's settings the program relies on: its name (the
// message boxes' title), its icon, and no quitting of Qt's own.
void prepare_application();

class QtToolkit final : public Toolkit {
 public:
  // `on_quit` none: QCoreApplication::quit.
  explicit QtToolkit(std::function<void()> on_quit = {}) : on_quit_(std::move(on_quit)) {}
  MainView& create_main_window(MainForm& form) override;
  SettingsView& create_settings_dialog(SettingsForm& form) override;
  void quit() override;
  PostToWindow post_to_window() override;

 private:
  std::function<void()> on_quit_;
};

}  // namespace quillon

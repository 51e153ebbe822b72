#include "app/program.h"

#include <utility>

#include "build_config.h"
#include "platform/paths.h"

namespace quillon {

Program::Program(Toolkit& toolkit) : Program(toolkit, Options{}) {}

Program::Program(Toolkit& toolkit, Options options)
    : toolkit_(toolkit),
      inet_(std::move(options.inet)),
      clock_(std::move(options.clock)),
      ftp_host_(options.ftp_host.empty() ? std::string(build::kFtpHost) : options.ftp_host),
      ftp_port_(options.ftp_port == 0 ? build::kFtpPort : options.ftp_port),
      main_form_(*this),
      settings_form_(*this) {
  if (!inet_) inet_ = platform::make_internet();
  if (!clock_) clock_ = std::make_unique<platform::SystemClock>();
}

Program::~Program() {
  release_picture1();
  if (main_ != nullptr) main_->close();
  if (dialog_ != nullptr) dialog_->close();
}

RunServices Program::services() { return RunServices{*inet_, *clock_, ftp_host_, ftp_port_}; }

bool Program::start() {
  state_.format_tag = kFormatTag;
  state_.remote_ext = kRemoteExt;
  return show_main();
}

bool Program::show_main() {
  MainView& window = toolkit_.create_main_window(main_form_);
  main_ = &window;
  main_form_.attach(window);
  main_form_.Form_Load();  // its messages come before the window shows
  if (ended_) return false;
  window.show();
  return true;
}

std::string Program::lock_path() { return platform::settings_folder() + platform::kPathSeparator + "quillon.lock"; }

bool Program::claim_single_instance() {
  if (!instance_lock_) instance_lock_ = platform::InstanceLock::acquire(lock_path());
  return instance_lock_ != nullptr;
}

void Program::open_settings() {
  MainView* old = main_;
  SettingsView& dialog = toolkit_.create_settings_dialog(settings_form_);
  dialog_ = &dialog;
  settings_form_.attach(dialog);
  settings_form_.Form_Load();  // ends by showing the dialog
  release_picture1();
  main_ = nullptr;
  if (old != nullptr) old->close();
}

void Program::open_main() {
  SettingsView* old = dialog_;
  show_main();
  dialog_ = nullptr;
  if (old != nullptr) old->close();
}

void Program::close_main_and_end() {
  MainView* old = main_;
  main_ = nullptr;
  if (old != nullptr) old->close();
  end_program();
}

void Program::main_window_closed_by_user() {
  release_picture1();
  close_main_and_end();
}

void Program::settings_dialog_closed_by_user() {
  SettingsView* old = dialog_;
  dialog_ = nullptr;
  if (old != nullptr) old->close();
  end_program();
}

// Picture1 goes with the main window; the bar must not keep drawing on it.
void Program::release_picture1() {
  if (state_.ftp.progress_bar) state_.ftp.progress_bar->Target(nullptr);
}

void Program::end_program() {
  ended_ = true;
  toolkit_.quit();
}

}  // namespace quillon

#pragma once
// The start-up routine and the flow that keeps exactly one of the two windows
// on screen. It owns everything that must outlive a window: the shared values,
// the internet layer with its open session, the instance marker.
#include <cstdint>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/main_form.h"
#include "app/main_view.h"
#include "app/settings_form.h"
#include "app/settings_view.h"
#include "app/upload_run.h"
#include "app/window_thread.h"
#include "platform/clock.h"
#include "platform/inet.h"
#include "platform/instance_lock.h"

namespace quillon {

// What the flow needs of a window toolkit. The toolkit owns the windows it
// makes; each forwards its events to the form it was made for.
class Toolkit {
 public:
  virtual ~Toolkit() = default;
  virtual MainView& create_main_window(MainForm& form) = 0;
  virtual SettingsView& create_settings_dialog(SettingsForm& form) = 0;
  // No window is left: the program ends.
  virtual void quit() = 0;
  // How a run's thread reaches the window's; none: uploads run on the
  // window's thread (the tests' scripted windows).
  virtual PostToWindow post_to_window() { return {}; }
};

class Program {
 public:
  struct Options {
    std::unique_ptr<platform::Internet> inet;  // none: the system's layer
    std::unique_ptr<platform::Clock> clock;    // none: the system clock
    std::string ftp_host;                      // empty: the build's fixed host
    std::uint16_t ftp_port = 0;                // 0: the build's fixed port
  };

  explicit Program(Toolkit& toolkit);
  Program(Toolkit& toolkit, Options options);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The start-up routine: the fixed texts, then the main window, loaded and
  // shown. False when the program ends at once (another instance runs).
  bool start();

  AppState& state() { return state_; }
  Toolkit& toolkit() { return toolkit_; }
  // An upload run of the main window has not ended yet.
  bool uploading() const { return main_form_.running(); }
  platform::Internet& inet() { return *inet_; }
  RunServices services();
  MainView* main_window() const { return main_; }
  SettingsView* settings_dialog() const { return dialog_; }
  bool ended() const { return ended_; }

  // Load step 1. The first successful claim is kept for the life of the
  // program, so later loads of the main window pass.
  bool claim_single_instance();
  // Where the marker lives: beside the settings file it protects.
  static std::string lock_path();

  // The settings button: the dialog replaces the main window.
  void open_settings();
  // The dialog's OK (after saving) and cancel: a freshly loaded main window
  // replaces the dialog, loaded while the dialog still stands.
  void open_main();
  // The exit button after its own steps, or a refused second instance.
  void close_main_and_end();
  // A window was closed through its frame: it was the only one.
  void main_window_closed_by_user();
  void settings_dialog_closed_by_user();

 private:
  bool show_main();
  void release_picture1();
  void end_program();

  Toolkit& toolkit_;
  AppState state_;
  std::unique_ptr<platform::Internet> inet_;
  std::unique_ptr<platform::Clock> clock_;
  std::string ftp_host_;
  std::uint16_t ftp_port_;
  std::unique_ptr<platform::InstanceLock> instance_lock_;
  MainForm main_form_;
  SettingsForm settings_form_;
  MainView* main_ = nullptr;
  SettingsView* dialog_ = nullptr;
  bool ended_ = false;
};

}  // namespace quillon

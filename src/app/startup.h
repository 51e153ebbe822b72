#pragma once
// The start-up routine and the controller that keeps exactly one of the two
// windows on screen. It owns everything that must outlive a window: the shared
// values, the internet layer with its open session, the instance marker.
#include <QFont>
#include <QIcon>
#include <QStringList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "ftp/ftp.h"
#include "platform/clock.h"
#include "platform/inet.h"
#include "platform/instance_lock.h"

namespace quillon {

class frmstartftp;
class Frmsetteiftp;

class AppController {
 public:
  // Shows `text` (UTF-8) with an OK button only and returns once it is dismissed.
  using MessageHook = std::function<void(QWidget* parent, const QString& text)>;

  struct Options {
    std::unique_ptr<platform::Internet> inet;  // none: the libcurl layer
    std::unique_ptr<platform::Clock> clock;    // none: the system clock
    std::string ftp_host;                      // empty: the build's fixed host
    std::uint16_t ftp_port = 0;                // 0: the build's fixed port
    MessageHook message_hook;                  // none: a modal QMessageBox
    std::function<void()> on_end;              // none: QCoreApplication::quit
  };

  AppController();
  explicit AppController(Options options);
  ~AppController();
  AppController(const AppController&) = delete;
  AppController& operator=(const AppController&) = delete;

  // The start-up routine: the fixed texts, then the main window, loaded and shown.
  // False when the program ends at once (another instance runs).
  bool start();

  AppState& state() { return state_; }
  platform::Internet& inet() { return *inet_; }
  platform::Clock& clock() { return *clock_; }
  FtpEnv ftp_env(MainView& view);

  frmstartftp* main_window() const { return main_; }
  Frmsetteiftp* settings_dialog() const { return dialog_; }
  bool ended() const { return ended_; }

  // Load step 1. The first successful claim is kept for the life of the
  // controller, so later loads of the main window pass.
  bool claim_single_instance();
  // Where the marker lives: beside the settings file it protects.
  static std::string lock_path();

  void message_box(QWidget* parent, const QString& text);

  // The settings button: the dialog replaces the main window.
  void open_settings();
  // The dialog's OK (after saving) and cancel: a freshly loaded main window
  // replaces the dialog.
  void open_main();
  // The exit button, after its own steps: the main window goes, the program ends.
  void close_main_and_end();
  // A window of ours was closed through its frame: it was the only one.
  void window_closed_by_user(QWidget* window);

 private:
  void retire(QWidget* window);
  void end_program();

  AppState state_;
  std::unique_ptr<platform::Internet> inet_;
  std::unique_ptr<platform::Clock> clock_;
  std::string ftp_host_;
  std::uint16_t ftp_port_;
  MessageHook message_hook_;
  std::function<void()> on_end_;
  std::unique_ptr<platform::InstanceLock> instance_lock_;
  frmstartftp* main_ = nullptr;
  Frmsetteiftp* dialog_ = nullptr;
  std::vector<QPointer<QWidget>> retired_;  // hidden, deleted by the event loop
  bool ended_ = false;
};

// The 32 x 32 program icon, drawn here rather than shipped as a picture.
QImage quillon_icon_image();
QIcon quillon_icon();

// CP932 bytes for display; bytes that are not CP932 show as U+FFFD, which the
// save then refuses, so nothing is silently altered.
QString from_cp932(std::string_view bytes);
// Throws cp932::EncodingError naming `what` for a character CP932 cannot hold.
std::string to_cp932(const QString& text, std::string_view what);

// A form font: the first installed family of `families`, at the pixel size the
// points have at 96 dpi, since the forms are laid out in pixels.
QFont form_font(const QStringList& families, double points, bool bold = false,
                bool italic = false);
// Font families of the forms and what stands in for them on this system.
QStringList ms_gothic();    // "ＭＳ ゴシック", fixed pitch
QStringList ms_pgothic();   // "ＭＳ Ｐゴシック", proportional
QStringList ms_serif();     // "MS Serif"
QStringList courier_new();  // "Courier New"

// Places a top-level window in the middle of its screen's free area.
void centre_on_screen(QWidget* window);

}  // namespace quillon

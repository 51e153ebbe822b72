#pragma once
// The FTP stages: session, upload step, close, status callback, failure report.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/inet.h"
#include "widgets/progress_bar.h"

namespace quillon {

enum class Button { cmdOK, Cmdcancel, Command1 };
enum class Cursor { Default, Wait };

// What the stages need of the main window. Texts are CP932 bytes; the window
// converts them at its edge.
class FtpView {
 public:
  virtual ~FtpView() = default;
  virtual void set_status(std::string_view text) = 0;  // ip_status
  virtual std::string status() const = 0;
  virtual void set_enabled(Button button, bool enabled) = 0;
  virtual void set_picture_visible(bool visible) = 0;  // Picture1
  virtual void set_cursor(Cursor cursor) = 0;
  virtual void repaint() = 0;  // at once, before blocking work
  virtual void set_label1_caption(std::string_view text) = 0;
  // OK button only, no icon, the application's title; returns when dismissed.
  virtual void message_box(std::string_view text) = 0;
  virtual void beep() = 0;
};

// The three buttons, in the order the window sets them: the one place a run
// takes them away and gives them back.
void set_buttons(FtpView& view, bool enabled);

// The session, the connection and the progress of the transfer; they outlive
// the main window around the settings dialog.
struct FtpState {
  std::string inet_state;    // "ok" once the session is open
  std::string failed_stage;  // "ftpinit", "ftpdata", "ftpout" or empty
  platform::InetHandle session_handle = 0;
  platform::InetHandle connection_handle = 0;
  std::int32_t upload_size = 0;
  std::int16_t sent_count = 0;
  std::int32_t sent_bytes = 0;
  std::string remote_name;  // the last store's name on the server, CP932
  std::unique_ptr<clsProgressBar> progress_bar;
  // Created on first use.
  clsProgressBar& bar() {
    if (!progress_bar) progress_bar = std::make_unique<clsProgressBar>();
    return *progress_bar;
  }
};

// Where the document goes and as whom: CP932 bytes as the settings hold them.
struct UploadJob {
  std::string host;
  std::uint16_t port = 21;
  std::string callsign;
  std::string server_password;
  std::string xml_path;
  std::string format_tag;  // ".Varnel_System_format."
  std::string remote_ext;  // ".qso"
  bool passive = false;    // the server opens no connection back to us
  std::string taken_name;  // the newest remote name at this destination, never stored over (CP932)
};

struct FtpEnv {
  FtpState& ftp;
  FtpView& view;
  platform::Internet& inet;
  platform::Clock& clock;
  UploadJob job;
  // Told the remote name (CP932) before the store begins.
  std::function<void(const std::string&)> storing = nullptr;
  // Asked when a store fails: true when the run stores again in the other
  // mode, so that this failure is not reported.
  std::function<bool()> other_mode = nullptr;
};

// How the upload step ended; the stages report to the user themselves.
enum class FtpOutcome {
  Stored,           // on the server, connection closed
  NotConnected,     // refused or unreachable; nothing sent
  NotStored,        // the transfer failed; the connection stays for the next run to close
  NotClosed,        // the leftover connection would not close; nothing sent
  StoredNotClosed,  // on the server, but closing the connection failed
};

void ftpinit(FtpEnv& env);
FtpOutcome ftpdata(FtpEnv& env);
void ftpout(FtpEnv& env);
void errchk(FtpEnv& env);
void inet_status_callback(FtpState& ftp, std::uint32_t dwInternetStatus);
// The server's last response as CP932 bytes, or empty.
std::string last_response_text(platform::Internet& inet);

}  // namespace quillon

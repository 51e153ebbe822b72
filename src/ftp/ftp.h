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

// What the stages tell as they go, in the order it happens. They act on no
// window: the window's logic (src/app) and the command line each show these
// their way.
struct FtpEvent {
  enum class Kind {
    Wait,           // a long call begins: the hourglass
    WaitOver,       // it has ended: the default cursor
    Connected,      // logged in, before the store: the window repaints
    Uploading,      // the store begins: Picture1 and the uploading text
    RemoteName,     // text: the name the store will take, told before connecting
    Progress,       // value: the bar's new value
    NotConnected,   // error: connecting failed
    NotStored,      // error: the transfer failed (told by the run, once it decided)
    NotClosed,      // error, text (the server's reply): the close failed
    Stored,         // on the server, the connection closed
    SessionFailed,  // error: the internet session would not open
    Report,         // text: the stage that failed (errchk)
  };
  Kind kind;
  std::uint32_t error = 0;
  std::string text;  // CP932
  std::int32_t value = 0;
};
using FtpEvents = std::function<void(const FtpEvent&)>;

// The stages' names, as errchk tells them apart.
inline constexpr const char* kStageInit = "ftpinit";
inline constexpr const char* kStageData = "ftpdata";
inline constexpr const char* kStageOut = "ftpout";

// The session, the connection and the progress of the transfer; they outlive
// the main window around the settings dialog.
struct FtpState {
  std::string inet_state;    // "ok" once the session is open
  std::string failed_stage;  // "ftpinit", "ftpdata", "ftpout" or empty
  bool connected = false;    // the layer holds a connection: from a login until its close
  std::int32_t upload_size = 0;
  std::int16_t sent_count = 0;
  std::int32_t sent_bytes = 0;
  std::string remote_name;  // the last store's name on the server, CP932
  FtpEvents tell;           // where the transfer's progress goes while a step runs
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
  platform::Internet& inet;
  platform::Clock& clock;
  UploadJob job;
  FtpEvents tell;
};

// How the upload step ended; the stages report what they can at once (the
// status line, a failed close), the run the rest.
enum class FtpOutcome {
  Stored,           // on the server, connection closed
  NotConnected,     // refused or unreachable; nothing sent
  NotStored,        // the transfer failed; the connection stays for the next run to close
  NotClosed,        // the leftover connection would not close; nothing sent
  StoredNotClosed,  // on the server, but closing the connection failed
};

struct FtpResult {
  FtpOutcome outcome = FtpOutcome::Stored;
  const char* stage = "";    // the stage that failed: "ftpdata", "ftpout"
  std::uint32_t error = 0;   // of the call that failed
  std::string reply;         // the server's last reply by then (CP932), the store's when stored
  bool data_opened = false;  // the store's data connection opened
  bool put_failed = false;   // the store itself failed (not a vanished document)
};

// Not ok when the session would not open (said as SessionFailed).
platform::InetResult ftpinit(FtpEnv& env);
FtpResult ftpdata(FtpEnv& env);
// False when the close failed (said as NotClosed).
bool ftpout(FtpEnv& env);
void inet_status_callback(FtpState& ftp, std::uint32_t dwInternetStatus);

}  // namespace quillon

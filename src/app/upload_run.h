#pragma once
// The run behind "アップロード開始": file check, reader, document, upload, report.
#include <cstdint>
#include <functional>
#include <string>

#include "app/app_state.h"
#include "conversion/conversion.h"
#include "ftp/ftp.h"
#include "platform/clock.h"
#include "platform/inet.h"

namespace quillon {

// What the run needs of the main window beyond the FTP stages.
class RunView : public FtpView {
 public:
  virtual std::string label3_caption() const = 0;
};

// What the run reaches outside the process.
struct RunServices {
  platform::Internet& inet;
  platform::Clock& clock;
  std::string ftp_host;
  std::uint16_t ftp_port;
  bool passive = false;
};

// How a run ended. Only Uploaded means the server confirmed the store.
enum class RunOutcome {
  Uploaded,
  NoLog,       // no file at csv_path
  LogRefused,  // the reader refused the log
  NotWritten,  // the document could not be written
  NotConnected,
  NotStored,
  NotClosed,        // the leftover connection would not close; nothing sent
  StoredNotClosed,  // stored, but closing the connection failed
};

FtpEnv ftp_env(AppState& state, FtpView& view, const RunServices& services);
HeadValues head_values(const Settings& settings);

// What a caller adds at a run's steps.
struct RunHooks {
  std::function<void(ContactLog&)> choose = nullptr;          // the log read: may drop records before the document
  std::function<void()> written = nullptr;                    // the document written, nothing connected yet
  std::function<void(const std::string&)> storing = nullptr;  // the remote name (CP932), before the store
};

RunOutcome cmdOK_Click(AppState& state, RunView& view, const RunServices& services, const RunHooks& hooks = {});

}  // namespace quillon

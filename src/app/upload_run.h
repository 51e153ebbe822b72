#pragma once
// One upload run, whichever front end starts it. Prepare: the log read once,
// its contacts, its fingerprint, what the history knows of them; decide: all,
// only the new ones, or nothing; run: the document and the store; record:
// the history, written just before the store and again at the end. One upload at
// a time per settings folder holds the lock beside the history.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/history.h"
#include "conversion/conversion.h"
#include "ftp/ftp.h"
#include "platform/clock.h"
#include "platform/file_lock.h"
#include "platform/inet.h"

namespace quillon {

// The mode a store starts in. First: active, or passive where the newest ok
// run to that server needed it; then the other mode once when the server
// could not open the data connection. Active and Passive: forced, no more.
enum class ModeChoice { First, Active, Passive };

// What the run reaches outside the process.
struct RunServices {
  platform::Internet& inet;
  platform::Clock& clock;
  std::string ftp_host;
  std::uint16_t ftp_port;
  ModeChoice mode = ModeChoice::First;
};

// Where a run ended. Only Uploaded means the server confirmed the store.
enum class RunEnd {
  Uploaded,
  NoSettings,  // the settings file refused
  NoSession,   // the internet session would not open
  NoLog,       // no file at csv_path
  LogRefused,  // the reader refused the log
  NotWritten,  // the document could not be written
  Busy,        // another upload holds the lock
  Declined,    // contacts went up already, and nothing was to be sent
  NotConnected,
  NotStored,
  NotClosed,        // the leftover connection would not close; nothing sent
  StoredNotClosed,  // stored, but closing the connection failed; a new end goes last, named in kEnds
};
// The name a recorded run's outcome gives it in the history and the JSON.
const char* stage_name(RunEnd end);

// What the history knows of the log's contacts at the run's destination.
struct SentReport {
  struct Run {
    HistoryEntry entry;
    std::size_t contacts = 0;  // of this log's
  };
  std::size_t contacts = 0;  // of the log, as the document carries them
  std::size_t sent = 0;      // of them, sent there by runs that ended ok
  std::vector<Run> runs;     // those runs, newest first
  std::size_t fresh() const { return contacts - sent; }
};

enum class Send { All, OnlyNew, Nothing };

// Everything a run tells its front end, and the one question it asks. Texts
// of the view are CP932; the others UTF-8.
class RunObserver : public FtpView {
 public:
  virtual std::string label3_caption() const = 0;
  // Some of the log's contacts went up already: what to send.
  virtual Send decide(const SentReport& report) = 0;
  // Another upload holds the lock. True: wait for it (up to the request's bound).
  virtual bool wait_for_other() = 0;
  virtual void history_not_read(const std::string& why) = 0;  // nothing refused; the run goes on
  // The history was damaged: kept under this name (UTF-8), a new one begun.
  virtual void history_set_aside(const std::string& aside) = 0;
  virtual void history_not_written(const std::string& why) = 0;
  virtual void retrying(int seconds) = 0;
  // The store starts in passive mode, as the newest ok run to this server needed.
  virtual void passive_remembered() = 0;
  // The server could not open the data connection: the store again at once, in
  // passive mode (to_passive) or active mode. The status line says so already.
  virtual void falling_back(bool to_passive) = 0;
};

struct RunRequest {
  std::string folder;         // the settings folder: the history and the lock
  bool open_session = false;  // the window's session is open since its load
  int retries = 0;            // further tries after a transient failure
  int lock_wait_s = 0;        // the longest wait for another upload
  bool ask_sent = true;       // false: everything goes, sent or not (--force), and nobody asks
};

struct RunResult {
  RunEnd end = RunEnd::Uploaded;
  HistoryEntry entry;  // the last try's record; empty for a run never recorded
  SentReport report;
};

class UploadRun {
 public:
  UploadRun(AppState& state, RunObserver& observer, const RunServices& services, RunRequest request);
  ~UploadRun();
  UploadRun(const UploadRun&) = delete;
  UploadRun& operator=(const UploadRun&) = delete;

  RunResult operator()();

 private:
  class Record;
  bool prepare();
  bool take_lock();
  void look_up_history();
  bool decide();
  bool write_document();
  RunEnd send_once(Record& record);
  RunEnd end(RunEnd end, bool buttons_back);

  AppState& state_;
  RunObserver& observer_;
  const RunServices& services_;
  RunRequest request_;
  std::unique_ptr<platform::FileLock> lock_;
  std::vector<DocumentContact> contacts_;
  SentContacts found_;
  std::string taken_name_;  // CP932
  std::string remembered_mode_;
  bool passive_ = false;  // the mode of the next store
  bool fell_back_ = false;
  std::optional<std::uint32_t> put_error_;  // of the last failed put, read before its reply
  RunResult result_;
};

// Who the run is for and where it goes, as the FTP stages take it.
FtpEnv ftp_env(AppState& state, FtpView& view, const RunServices& services);
HeadValues head_values(const Settings& settings);
// The line of a run that ended before it started (the settings refused).
HistoryEntry unstarted(const RunServices& services, RunEnd end);
// Adds a finished run to the history in `folder`; returns why it could not,
// empty when it could.
std::string record(const std::string& folder, const HistoryEntry& entry);
// The server could not open a data connection in that mode, so the other may
// work: in active mode PORT/EPRT refused, a 425, or no connection within the
// accept bound; in passive mode EPSV and PASV refused.
bool data_connection_refused(platform::Internet& inet, bool passive);
// Worth another try: no connection, a timeout, a dropped line, or a server
// that says "not now" (4xx). Never a refused login or another 5xx.
bool worth_another_try(RunEnd end, const HistoryEntry& entry);

}  // namespace quillon

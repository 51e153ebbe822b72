#pragma once
// One upload run, whichever front end starts it. Prepare: the log read once,
// its contacts, its fingerprint, what the history knows of them; decide: all,
// only the new ones, or nothing; run: the document and the store; record:
// the history, written just before the store and again at the end. One upload at
// a time per settings folder holds the lock beside the history.
#include <cstdint>
#include <memory>
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

// What a run tells its front end, in order: values, so that they could be
// handed to another thread. Texts are CP932, but for the history's notes (UTF-8).
struct RunEvent {
  enum class Kind {
    Ftp,                // ftp: what a stage did
    Status,             // text: the status line's new text
    Repaint,            // the window shows what it holds now, before blocking work
    Busy,               // the run has begun: the buttons are taken away
    Idle,               // the run has ended where nothing else gives them back
    Message,            // text: a message box (OK only)
    HistoryNotRead,     // text: why; nothing refused, the run goes on
    HistorySetAside,    // text: the damaged history's new name; a new one begun
    HistoryNotWritten,  // text: why
    Retrying,           // seconds: the next try after this wait
    PassiveRemembered,  // the store starts passive, as the newest ok run there needed
    FallingBack,        // to_passive: the store again at once, in the other mode
  };
  Kind kind;
  std::string text;
  FtpEvent ftp{};
  int seconds = 0;
  bool to_passive = false;
};

// The front end of a run: it shows the events and answers the one question.
class RunObserver {
 public:
  virtual void on(const RunEvent& event) = 0;
  // Some of the log's contacts went up already: what to send.
  virtual Send decide(const SentReport& report) = 0;
  // Another upload holds the lock. True: wait for it (up to the request's bound).
  virtual bool wait_for_other() = 0;

 protected:
  ~RunObserver() = default;
};

struct RunRequest {
  std::string folder;                             // the settings folder: the history and the lock
  bool open_session = false;                      // the window's session is open since its load
  int retries = 0;                                // further tries after a transient failure
  int lock_wait_s = 0;                            // the longest wait for another upload
  bool ask_sent = true;                           // false: everything goes, sent or not (--force), and nobody asks
  std::string xml_declaration = kXmlDeclaration;  // what the document copies (Label3's caption)
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
  void tell(RunEvent::Kind kind, std::string text = {});
  void tell_ftp(const FtpEvent& event);

  AppState& state_;
  RunObserver& observer_;
  const RunServices& services_;
  RunRequest request_;
  std::unique_ptr<platform::FileLock> lock_;
  std::vector<DocumentContact> contacts_;
  SentContacts found_;
  std::unique_ptr<History> looked_up_;  // the connection that looked, kept for the record
  std::string taken_name_;              // CP932
  std::string remembered_mode_;
  bool passive_ = false;  // the mode of the next store
  bool fell_back_ = false;
  FtpResult sent_;  // how the last upload step ended
  RunResult result_;
};

// Who the run is for and where it goes, as the FTP stages take it.
FtpEnv ftp_env(AppState& state, const RunServices& services, FtpEvents tell);
HeadValues head_values(const Settings& settings);
// The line of a run that ended before it started (the settings refused).
HistoryEntry unstarted(const RunServices& services, RunEnd end);
// Adds a finished run to the history in `folder`; returns why it could not,
// empty when it could.
std::string record(const std::string& folder, const HistoryEntry& entry);
// The server could not open a data connection in that mode, so the other may
// work: in active mode PORT/EPRT refused, a 425, or no connection within the
// accept bound; in passive mode EPSV and PASV refused.
bool data_connection_refused(const FtpResult& sent, bool passive);
// The session of a window that outlives its runs: opened once (ftpinit), its
// failure told and reported as errchk does; its error, 0 once open.
std::uint32_t open_session(AppState& state, const RunServices& services, const FtpEvents& tell);
// Worth another try: no connection, a timeout, a dropped line, or a server
// that says "not now" (4xx). Never a refused login or another 5xx.
bool worth_another_try(RunEnd end, const HistoryEntry& entry);

}  // namespace quillon

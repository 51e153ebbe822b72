#include "app/upload_run.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ftp/ftp_texts.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/test_switch.h"

namespace quillon {
namespace {

// Each end of a run: its name in the history and the JSON, and whether the run
// got as far as the server.
struct EndSpec {
  RunEnd end;
  const char* stage;
  bool reached_the_server;
};
// In the order of RunEnd, row for row (checked below).
constexpr EndSpec kEnds[] = {
    {RunEnd::Uploaded, "ok", true},          {RunEnd::NoSettings, "settings", false},
    {RunEnd::NoSession, "session", false},   {RunEnd::NoLog, "log", false},
    {RunEnd::LogRefused, "log", false},      {RunEnd::NotWritten, "convert", false},
    {RunEnd::Busy, "busy", false},           {RunEnd::Declined, "already-sent", false},
    {RunEnd::NotConnected, "connect", true}, {RunEnd::NotStored, "store", true},
    {RunEnd::NotClosed, "close", true},      {RunEnd::StoredNotClosed, "close", true},
};
constexpr bool each_end_in_its_row() {
  for (std::size_t i = 0; i < std::size(kEnds); ++i)
    if (static_cast<std::size_t>(kEnds[i].end) != i) return false;
  return std::size(kEnds) == static_cast<std::size_t>(RunEnd::StoredNotClosed) + 1;
}
static_assert(each_end_in_its_row());

const EndSpec& spec(RunEnd end) { return kEnds[static_cast<std::size_t>(end)]; }

// Where a run ends for each way the upload step ends, in FtpOutcome's order.
constexpr RunEnd kFtpEnds[] = {RunEnd::Uploaded, RunEnd::NotConnected, RunEnd::NotStored, RunEnd::NotClosed,
                               RunEnd::StoredNotClosed};
static_assert(std::size(kFtpEnds) == static_cast<std::size_t>(FtpOutcome::StoredNotClosed) + 1);

bool reached_the_server(RunEnd end) { return spec(end).reached_the_server; }

std::string why_not(const Error& e) { return *e.what() ? e.utf8() : "unknown failure"; }

// A damaged history is kept aside and a new one begun, rather than failing
// every run for good; false when it is not damage or cannot be moved.
bool set_aside(const std::string& path, const Error& e, platform::Clock& clock, RunObserver& observer) {
  if (!damaged(e)) return false;
  const std::string aside = set_aside_damaged(path, clock.now());
  if (!aside.empty()) observer.on({RunEvent::Kind::HistorySetAside, aside});
  return !aside.empty();
}

// The history of one run: opened on first use; after a failure it is left
// alone, and the failure said once.
class RunHistory {
 public:
  RunHistory(std::string path, RunObserver& observer, platform::Clock& clock)
      : path_(std::move(path)), observer_(observer), clock_(clock) {}
  // A connection opened to read, kept to write where it can.
  void adopt(std::unique_ptr<History> history) {
    try {
      if (!history_ && history && history->writable()) history_ = std::move(history);
    } catch (const Error& e) {
      rethrow_unless(Failed::History, e);  // opened afresh when first written
    }
  }
  template <class Step>
  void write(Step step) {
    if (failed_) return;
    try {
      if (!history_) history_ = open();
      step(*history_);
    } catch (const Error& e) {
      rethrow_unless(Failed::History, e);
      failed_ = true;
      observer_.on({RunEvent::Kind::HistoryNotWritten, why_not(e)});
    }
  }

 private:
  std::unique_ptr<History> open() {
    try {
      return std::make_unique<History>(path_, History::Mode::Write);
    } catch (const Error& e) {
      if (!set_aside(path_, e, clock_, observer_)) throw;
    }
    return std::make_unique<History>(path_, History::Mode::Write);
  }

  std::string path_;
  RunObserver& observer_;
  platform::Clock& clock_;
  std::unique_ptr<History> history_;
  bool failed_ = false;
};

std::string history_file(const std::string& folder) { return folder + platform::kPathSeparator + kHistoryFile; }

long long document_size(const Settings& s) {
  return std::max(0LL, platform::file_size(platform::native_path(s.xml_path)));
}

HistoryEntry entry_for(const RunServices& services, const std::string& uploader) {
  HistoryEntry e;
  e.started = platform::iso8601_now();
  e.host = services.ftp_host;
  e.port = services.ftp_port;
  e.uploader = uploader;
  return e;
}

}  // namespace

const char* stage_name(RunEnd end) { return spec(end).stage; }

bool worth_another_try(RunEnd end, const HistoryEntry& e) {
  if (end != RunEnd::NotConnected && end != RunEnd::NotStored) return false;
  const std::string code = e.reply.substr(0, 3);
  for (const char* busy : {"421", "425", "426", "450", "451", "452"})
    if (code == busy) return true;
  if (code.size() == 3 && code[0] == '5') return false;
  namespace ie = platform::inet_error;
  return e.error == ie::kTimeout || e.error == ie::kCannotConnect || e.error == ie::kConnectionAborted ||
         e.error == ie::kConnectionReset;
}

bool data_connection_refused(const FtpResult& sent, bool passive) {
  if (!sent.put_failed || sent.data_opened) return false;
  const std::string code = sent.reply.substr(0, 3);
  if (code == "500" || code == "502" || code == "504") return true;
  return !passive && (code == "425" || code == "501" || code == "522" || sent.error == platform::inet_error::kTimeout);
}

HeadValues head_values(const Settings& s) {
  return {s.callsign, s.my_portable, s.qsl_name, s.address1, s.address2, s.address3, s.log_search};
}

FtpEnv ftp_env(AppState& state, const RunServices& services, FtpEvents tell) {
  const Settings& s = state.settings;
  return FtpEnv{state.ftp, services.inet, services.clock,
                UploadJob{services.ftp_host,
                          services.ftp_port,
                          s.callsign,
                          s.server_password,
                          s.xml_path,
                          state.format_tag,
                          state.remote_ext,
                          services.mode == ModeChoice::Passive,
                          {}},
                std::move(tell)};
}

std::uint32_t open_session(AppState& state, const RunServices& services, const FtpEvents& tell) {
  FtpEnv env = ftp_env(state, services, tell);
  const platform::InetResult opened = ftpinit(env);
  if (!opened.ok()) tell(FtpEvent{FtpEvent::Kind::Report, 0, kStageInit});
  return opened.error;
}

HistoryEntry unstarted(const RunServices& services, RunEnd end) {
  HistoryEntry e = entry_for(services, "");
  e.outcome = stage_name(end);
  return e;
}

std::string record(const std::string& folder, const HistoryEntry& e) {
  try {
    History(history_file(folder), History::Mode::Write).add_run(e);
  } catch (const Error& error) {
    rethrow_unless(Failed::History, error);
    return why_not(error);
  }
  return {};
}

// The run's line in the history and the contacts it carries: written ahead of
// the connect, with its remote name; synced when the store begins; its outcome
// at the end.
class UploadRun::Record {
 public:
  Record(UploadRun& run)
      : run_(run),
        history_(history_file(run.request_.folder), run.observer_, run.services_.clock),
        entry_(entry_for(run.services_, cp932::to_utf8_lossy(run.state_.settings.callsign))) {}

  HistoryEntry& entry() { return entry_; }
  void adopt(std::unique_ptr<History> history) { history_.adopt(std::move(history)); }
  // A try begins. The contacts take their stored form now, while the network
  // layer may still be loading, rather than between the login and the store.
  void begin(const std::vector<DocumentContact>& contacts) {
    start_ = std::chrono::steady_clock::now();
    entry_.started = platform::iso8601_now();
    entry_.remote_name.clear();
    entry_.outcome.clear();
    entry_.mode.clear();  // set, as in the record, once its store begins
    if (!carried_) carried_.emplace(contacts);
    id_ = 0;
  }
  void named(const std::string& remote) {
    entry_.remote_name = cp932::to_utf8_lossy(remote);
    if (id_ != 0) {
      history_.write([&](History& h) { h.set_remote_name(id_, entry_.remote_name); });
      return;
    }
    history_.write([&](History& h) { id_ = h.add_run(entry_, *carried_); });
    if (id_ != 0 && run_.lock_) run_.lock_->note(std::to_string(id_));
  }
  // From here a run that never ends may have sent its contacts: the record is
  // synced first. The other mode's store, after a refusal, changes nothing of it.
  void storing() {
    if (id_ == 0 || !entry_.mode.empty()) return;
    entry_.mode = run_.passive_ ? "passive" : "active";
    history_.write([&](History& h) { h.storing(id_, entry_.mode); });
  }
  void finish(RunEnd end) {
    entry_.outcome = stage_name(end);
    entry_.remote_name = cp932::to_utf8_lossy(run_.state_.ftp.remote_name);
    entry_.mode_forced = run_.services_.mode != ModeChoice::First;
    if (reached_the_server(end)) {
      entry_.mode = run_.passive_ ? "passive" : "active";
      entry_.fell_back = run_.fell_back_;
      entry_.bytes = document_size(run_.state_.settings);
      entry_.error = run_.sent_.error;
      entry_.reply = cp932::to_utf8_lossy(run_.sent_.reply);
    }
    entry_.elapsed_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    history_.write([&](History& h) {
      if (id_ != 0) h.end_run(id_, entry_);
      else if (carried_) h.add_run(entry_, *carried_);
      else h.add_run(entry_);
    });
    run_.result_.entry = entry_;
  }

 private:
  UploadRun& run_;
  RunHistory history_;
  HistoryEntry entry_;
  std::optional<history_form::RunContacts> carried_;  // once a try began
  std::int64_t id_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

UploadRun::UploadRun(AppState& state, RunObserver& observer, const RunServices& services, RunRequest request)
    : state_(state), observer_(observer), services_(services), request_(std::move(request)) {}

UploadRun::~UploadRun() = default;

void UploadRun::tell(RunEvent::Kind kind, std::string text) { observer_.on({kind, std::move(text)}); }

void UploadRun::tell_ftp(const FtpEvent& event) { observer_.on({RunEvent::Kind::Ftp, {}, event}); }

RunEnd UploadRun::end(RunEnd end, bool buttons_back) {
  if (buttons_back) tell(RunEvent::Kind::Idle);
  result_.end = end;
  return end;
}

// The log read once: its records, their contacts, its fingerprint. A log the
// reader refuses ends the run before anything is sent.
bool UploadRun::prepare() {
  const std::string& csv_path = state_.settings.csv_path;
  if (!platform::ordinary_file_exists(platform::native_path(csv_path))) {
    tell(RunEvent::Kind::Message, ftp_text::file_not_found() + csv_path);
    end(RunEnd::NoLog, true);
    return false;
  }
  try {
    read_log(csv_path, state_.log);
  } catch (const Error& e) {
    tell(RunEvent::Kind::Message, e.what());
    end(RunEnd::LogRefused, true);
    return false;
  }
  try {
    contacts_ = document_contacts(state_.log);
  } catch (const Error&) {
    // No contacts to ask about: the document cannot be written either, and koushin says why.
  }
  return true;
}

bool UploadRun::take_lock() {
  const std::string path = upload_lock_file(request_.folder);
  platform::FileLock::Result taken = platform::FileLock::Result::Unavailable;
  lock_ = platform::FileLock::try_take(path, taken);
  if (taken != platform::FileLock::Result::Held) return true;  // a lock that cannot be made keeps nobody out
  if (!observer_.wait_for_other()) return false;
  int wait_s = request_.lock_wait_s;
  if (const auto bound = platform::test_switch("lock-wait")) wait_s = static_cast<int>(*bound);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(wait_s);
  while (std::chrono::steady_clock::now() < until) {
    platform::sleep_ms(100);
    lock_ = platform::FileLock::try_take(path, taken);
    if (taken != platform::FileLock::Result::Held) return true;
  }
  return false;
}

void UploadRun::look_up_history() {
  const std::string& s = state_.settings.callsign;
  try {
    auto history = std::make_unique<History>(history_file(request_.folder), History::Mode::Read);
    if (request_.ask_sent)
      found_ = history->sent(services_.ftp_host, services_.ftp_port, s, fnv1a_hex(state_.log.data), contacts_);
    remembered_mode_ = history->remembered_mode(services_.ftp_host, services_.ftp_port);
    taken_name_ = cp932::from_utf8(history->newest_remote_name(services_.ftp_host, services_.ftp_port), "remote name");
    looked_up_ = std::move(history);
  } catch (const Error& e) {
    // A name no CP932 callsign gives is no name this run could repeat.
    if (e.failed() == Failed::Encoding) return;
    rethrow_unless(Failed::History, e);
    // Nothing in a damaged history to refuse by; the run's record begins a new one.
    if (!set_aside(history_file(request_.folder), e, services_.clock, observer_))
      tell(RunEvent::Kind::HistoryNotRead, e.utf8());
  }
}

// Asks only when the history knows contacts of this log there.
bool UploadRun::decide() {
  SentReport& r = result_.report;
  r.contacts = contacts_.size();
  r.sent = found_.count();
  if (r.sent == 0) return true;
  std::map<std::int64_t, std::size_t> per_run;
  for (const std::int64_t id : found_.run_of)
    if (id != 0) ++per_run[id];
  for (auto run = per_run.rbegin(); run != per_run.rend(); ++run)
    r.runs.push_back({found_.runs[run->first], run->second});
  const Send send = observer_.decide(r);
  if (send == Send::Nothing || (send == Send::OnlyNew && r.fresh() == 0)) return false;
  if (send == Send::OnlyNew) {
    std::vector<bool> keep(contacts_.size());
    std::vector<DocumentContact> fresh;
    for (std::size_t i = 0; i < contacts_.size(); ++i)
      if ((keep[i] = found_.run_of[i] == 0)) fresh.push_back(contacts_[i]);
    keep_records(state_.log, keep);
    contacts_ = std::move(fresh);
  }
  return true;
}

bool UploadRun::write_document() {
  try {
    koushin(state_.log, head_values(state_.settings), state_.settings.xml_path, services_.clock,
            request_.xml_declaration);
    return true;
  } catch (const Error& e) {
    tell(RunEvent::Kind::Message, e.what());
    return false;
  }
}

RunEnd UploadRun::send_once(Record& record) {
  record.begin(contacts_);
  FtpEnv env = ftp_env(state_, services_, [this, &record](const FtpEvent& e) {
    if (e.kind == FtpEvent::Kind::RemoteName) return record.named(e.text);
    if (e.kind == FtpEvent::Kind::Uploading) record.storing();
    tell_ftp(e);
  });
  env.job.taken_name = taken_name_;
  env.job.passive = passive_;
  sent_ = ftpdata(env);
  // The server could not open the data connection in this mode: the other,
  // once, before the failure is told.
  if (services_.mode == ModeChoice::First && !fell_back_ && data_connection_refused(sent_, passive_)) {
    fell_back_ = true;
    passive_ = !passive_;
    if (!state_.ftp.remote_name.empty()) env.job.taken_name = taken_name_ = state_.ftp.remote_name;
    env.job.passive = passive_;
    tell(RunEvent::Kind::Status, passive_ ? ftp_text::to_passive() : ftp_text::to_active());
    tell(RunEvent::Kind::Repaint);
    observer_.on({RunEvent::Kind::FallingBack, {}, {}, 0, passive_});
    sent_ = ftpdata(env);
  }
  const FtpResult& sent = sent_;
  if (sent.outcome == FtpOutcome::NotStored) tell_ftp({FtpEvent::Kind::NotStored, sent.error, {}});
  if (sent.outcome != FtpOutcome::Stored) tell_ftp({FtpEvent::Kind::Report, 0, sent.stage});
  if (!state_.ftp.remote_name.empty()) taken_name_ = state_.ftp.remote_name;
  return kFtpEnds[static_cast<std::size_t>(sent.outcome)];
}

RunResult UploadRun::operator()() {
  services_.inet.load_ahead();
  tell(RunEvent::Kind::Status, ftp_text::connecting());
  tell(RunEvent::Kind::Repaint);
  tell(RunEvent::Kind::Busy);
  state_.log.log_count = 0;

  Record record(*this);
  if (!prepare()) {
    record.finish(result_.end);
    return result_;
  }
  if (!take_lock()) {
    end(RunEnd::Busy, true);
    return result_;
  }
  look_up_history();
  if (!decide()) {
    end(RunEnd::Declined, true);
    return result_;
  }
  record.adopt(std::move(looked_up_));
  record.entry().log_fnv1a = fnv1a_hex(state_.log.data);
  record.entry().records = state_.log.log_count;
  if (request_.open_session && state_.ftp.inet_state != "ok") {
    if (const std::uint32_t error = open_session(state_, services_, [this](const FtpEvent& e) { tell_ftp(e); })) {
      record.entry().error = error;
      record.finish(end(RunEnd::NoSession, false));
      return result_;
    }
  }
  if (!write_document()) {
    record.finish(end(RunEnd::NotWritten, true));
    return result_;
  }
  record.entry().bytes = document_size(state_.settings);
  passive_ = services_.mode == ModeChoice::Passive;
  if (services_.mode == ModeChoice::First && remembered_mode_ == "passive") {
    passive_ = true;
    tell(RunEvent::Kind::PassiveRemembered);
  }
  for (int attempt = 0;; ++attempt) {
    const RunEnd sent = send_once(record);
    record.finish(end(sent, false));
    if (attempt >= request_.retries || !worth_another_try(sent, record.entry())) return result_;
    const int wait = 1 << attempt;
    observer_.on({RunEvent::Kind::Retrying, {}, {}, wait});
    platform::sleep_seconds(wait);
    tell(RunEvent::Kind::Status, ftp_text::connecting());
    tell(RunEvent::Kind::Repaint);
  }
}

}  // namespace quillon

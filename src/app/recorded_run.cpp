#include "app/recorded_run.h"

#include <chrono>

#include "platform/clock.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace quillon {
namespace {

const char* stage_of(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Uploaded: return "ok";
    case RunOutcome::NoLog:
    case RunOutcome::LogRefused: return "log";
    case RunOutcome::NotWritten: return "convert";
    case RunOutcome::NotConnected: return "connect";
    case RunOutcome::NotStored: return "store";
    case RunOutcome::NotClosed:
    case RunOutcome::StoredNotClosed: return "close";
  }
  return "close";
}

bool reached_the_server(RunOutcome outcome) {
  return outcome != RunOutcome::NoLog && outcome != RunOutcome::LogRefused && outcome != RunOutcome::NotWritten;
}

}  // namespace

HistoryEntry unstarted_entry(const RunServices& services, const std::string& stage) {
  HistoryEntry e;
  e.started = platform::iso8601_now();
  e.host = services.ftp_host;
  e.port = services.ftp_port;
  e.outcome = stage;
  return e;
}

namespace {

// One history for a run: opened on first use; after a failure it is left alone
// and the failure kept to be said once.
class RunHistory {
 public:
  explicit RunHistory(const std::string& path) : path_(path) {}
  template <class Step>
  void write(Step step) {
    if (!why_.empty()) return;
    try {
      if (!history_) history_ = std::make_unique<History>(path_, History::Mode::Write);
      step(*history_);
    } catch (const HistoryError& e) {
      why_ = *e.what() ? e.what() : "unknown failure";
    }
  }
  const std::string& why() const { return why_; }

 private:
  std::string path_;
  std::unique_ptr<History> history_;
  std::string why_;
};

}  // namespace

std::string record(const std::string& history_file, const HistoryEntry& entry) {
  RunHistory history(history_file);
  history.write([&](History& h) { h.add_run(entry); });
  return history.why();
}

RecordedRun run_and_record(AppState& state, RunView& view, const RunServices& services, const std::string& history_file,
                           const std::function<bool(const DocumentContact&)>& keep) {
  const auto start = std::chrono::steady_clock::now();
  HistoryEntry e = unstarted_entry(services, "");
  e.uploader = cp932::to_utf8_lossy(state.settings.callsign);
  std::string log_bytes;
  if (platform::read_whole_file(platform::native_path(state.settings.csv_path), log_bytes))
    e.log_fnv1a = fnv1a_hex(log_bytes);
  state.ftp.remote_name.clear();

  RunHistory history(history_file);
  std::int64_t id = 0;
  RunHooks hooks;
  if (keep) hooks.choose = [&](ContactLog& log) { keep_contacts(log, keep); };
  const auto document_size = [&] {
    return std::max(0LL, platform::file_size(platform::native_path(state.settings.xml_path)));
  };
  hooks.written = [&] {
    e.records = state.log.log_count;
    e.bytes = document_size();
    const std::vector<DocumentContact> contacts = document_contacts(state.log);
    history.write([&](History& h) { id = h.add_run(e, contacts); });
  };
  hooks.storing = [&](const std::string& remote) {
    if (id != 0) history.write([&](History& h) { h.set_remote_name(id, cp932::to_utf8_lossy(remote)); });
  };
  const RunOutcome outcome = cmdOK_Click(state, view, services, hooks);

  e.outcome = stage_of(outcome);
  e.remote_name = cp932::to_utf8_lossy(state.ftp.remote_name);
  if (outcome != RunOutcome::NoLog && outcome != RunOutcome::LogRefused) e.records = state.log.log_count;
  if (reached_the_server(outcome)) {
    e.bytes = document_size();
    e.error = outcome == RunOutcome::Uploaded ? 0 : services.inet.last_error();
    e.reply = cp932::to_utf8_lossy(last_response_text(services.inet));
  }
  e.elapsed_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  history.write([&](History& h) {
    if (id != 0) h.end_run(id, e);
    else h.add_run(e);
  });
  return {outcome, e, history.why()};
}

}  // namespace quillon

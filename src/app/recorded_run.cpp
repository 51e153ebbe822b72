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

std::string record(const std::string& history_file, const HistoryEntry& entry) {
  std::string why;
  return append_history(history_file, entry, why) ? std::string() : why.empty() ? "unknown failure" : why;
}

RecordedRun run_and_record(AppState& state, RunView& view, const RunServices& services,
                           const std::string& history_file) {
  const auto start = std::chrono::steady_clock::now();
  HistoryEntry e = unstarted_entry(services, "");
  std::string log_bytes;
  if (platform::read_whole_file(platform::native_path(state.settings.csv_path), log_bytes))
    e.log_fnv1a = fnv1a_hex(log_bytes);
  state.ftp.remote_name.clear();

  const RunOutcome outcome = cmdOK_Click(state, view, services);

  e.outcome = stage_of(outcome);
  e.remote_name = cp932::to_utf8_lossy(state.ftp.remote_name);
  if (outcome != RunOutcome::NoLog && outcome != RunOutcome::LogRefused) e.records = state.log.log_count;
  if (reached_the_server(outcome)) {
    e.bytes = std::max(0LL, platform::file_size(platform::native_path(state.settings.xml_path)));
    e.error = outcome == RunOutcome::Uploaded ? 0 : services.inet.last_error();
    e.reply = cp932::to_utf8_lossy(last_response_text(services.inet));
  }
  e.elapsed_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {outcome, e, record(history_file, e)};
}

}  // namespace quillon

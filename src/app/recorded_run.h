#pragma once
// The upload run with its record in the history: what the window's button and
// `quillon-cli upload` both do.
#include <functional>
#include <string>

#include "app/history.h"
#include "app/upload_run.h"

namespace quillon {

struct RecordedRun {
  RunOutcome outcome;
  HistoryEntry entry;
  std::string history_error;  // UTF-8; empty when the history took the run
};

// A history record for a run that ends before it starts (no settings, no session).
HistoryEntry unstarted_entry(const RunServices& services, const std::string& stage);

// Records the run and its contacts once the document is written, before
// connecting, and its outcome when it ends. `keep` picks the contacts that go
// (all when empty); the history never fails the run.
RecordedRun run_and_record(AppState& state, RunView& view, const RunServices& services, const std::string& history_file,
                           const std::function<bool(const DocumentContact&)>& keep = nullptr);

// Adds a finished run; returns why it could not, empty when it could.
std::string record(const std::string& history_file, const HistoryEntry& entry);

}  // namespace quillon

#pragma once
// The upload run with its line in the history: what the window's button and
// `quillon-cli upload` both do.
#include <string>

#include "app/history.h"
#include "app/upload_run.h"

namespace quillon {

struct RecordedRun {
  RunOutcome outcome;
  HistoryEntry entry;
  std::string history_error;  // UTF-8; empty when the line was written
};

// A history line for a run that ends before it starts (no settings, no session).
HistoryEntry unstarted_entry(const RunServices& services, const std::string& stage);

RecordedRun run_and_record(AppState& state, RunView& view, const RunServices& services,
                           const std::string& history_file);

// Appends; returns why it could not, empty when it could.
std::string record(const std::string& history_file, const HistoryEntry& entry);

}  // namespace quillon

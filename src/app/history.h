#pragma once
// uploads.jsonl in the settings folder: one JSON object (UTF-8) for every
// upload run, appended when the run ends, so that a user can tell what
// reached the server and when.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace quillon {

struct HistoryEntry {
  std::string started;      // local time with its offset, ISO 8601
  std::string remote_name;  // where the document went (or was to go)
  std::string host;
  int port = 0;
  int records = 0;
  long long bytes = 0;      // the document's size
  std::string log_fnv1a;    // of the log file's bytes, 16 hex digits
  std::string outcome;      // "ok" or the stage that failed
  std::uint32_t error = 0;  // the internet layer's number, 0 for none
  std::string reply;        // the server's last reply
  double elapsed_s = 0;

  bool operator==(const HistoryEntry&) const = default;
};

// The stages an outcome names, "ok" aside.
inline constexpr const char* kStages[] = {"settings", "log", "convert", "session", "connect", "store", "close"};

nlohmann::ordered_json to_json(const HistoryEntry& entry);
// One line of JSON, no line end; text that is not UTF-8 is replaced, not refused.
std::string json_line(const nlohmann::ordered_json& object);
// Empty for a torn line, another program's JSON or anything else not ours.
std::optional<HistoryEntry> parse_history_line(std::string_view line);

std::string history_path();  // uploads.jsonl in the settings folder
std::vector<HistoryEntry> read_history(const std::string& path);
// One line, one write. False with why (UTF-8) when it could not be written.
bool append_history(const std::string& path, const HistoryEntry& entry, std::string& why);

// 64-bit FNV-1a: tells one log from another, no more.
std::string fnv1a_hex(std::string_view bytes);

}  // namespace quillon

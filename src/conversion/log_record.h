#pragma once
// One contact of the exported log, as the reader leaves it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct LogValue {
  enum class Kind { Empty, Text, Number };
  Kind kind = Kind::Empty;
  // Text: the bytes as read (CP932). Number: its plain decimal form
  // (no leading zeros, no trailing fraction zeros), e.g. "930", "7.025", "-3".
  std::string text;

  // The empty value gives "", text itself, a number its plain decimal form.
  const std::string& text_form() const { return text; }
  bool operator==(const LogValue&) const = default;
};

inline constexpr int kFieldsPerRecord = 35;
inline constexpr int kMaxLogRecords = 2000;

struct LogRecord {
  std::array<LogValue, kFieldsPerRecord> fields;
  int file_record = 0;  // ordinal in the file, dropped records counted, for messages
  // Fields are numbered 1 to 35.
  const LogValue& field(int n) const { return fields[static_cast<std::size_t>(n - 1)]; }
  LogValue& field(int n) { return fields[static_cast<std::size_t>(n - 1)]; }
};

// The records the reader keeps: slots 1 to 2000 (slot 0 is unused), reused from
// run to run, and how many of them hold this run's records.
struct ContactLog {
  std::vector<LogRecord> log_records = std::vector<LogRecord>(kMaxLogRecords + 1);
  std::int16_t log_count = 0;
  std::string csv_path;  // the file they came from, for messages
};

}  // namespace quillon

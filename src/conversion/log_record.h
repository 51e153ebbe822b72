#pragma once
// One contact of the exported log, as the reader leaves it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct LogValue {
  enum class Kind { Empty, Text, Number };
  Kind kind = Kind::Empty;
  // Text: the bytes as read (CP932). Number: its plain decimal form
  // (no leading zeros, no trailing fraction zeros), e.g. "930", "7.025", "-3".
  // A view into the log it was read from.
  std::string_view text;

  // The empty value gives "", text itself, a number its plain decimal form.
  std::string_view text_form() const { return text; }
  bool operator==(const LogValue&) const = default;
};

inline constexpr int kFieldsPerRecord = 35;
inline constexpr int kMaxLogRecords = 2000;

struct LogRecord {
  std::array<LogValue, kFieldsPerRecord> fields;
  int file_record = 0;  // ordinal in the file, dropped records counted, for messages
  int file_line = 0;    // the line of the file where it starts
  // Fields are numbered 1 to 35.
  const LogValue& field(int n) const { return fields[static_cast<std::size_t>(n - 1)]; }
  LogValue& field(int n) { return fields[static_cast<std::size_t>(n - 1)]; }
};

// The records the reader keeps, in slots 1 to log_count (slot 0 is unused; at
// most 2000), and the bytes their values view: the file as read, and the plain
// forms of numbers that the file writes otherwise. Each read starts afresh.
struct ContactLog {
  ContactLog() = default;
  ContactLog(const ContactLog&) = delete;  // the values view into this object's buffers
  ContactLog& operator=(const ContactLog&) = delete;

  std::vector<LogRecord> log_records = std::vector<LogRecord>(1);
  std::int16_t log_count = 0;
  std::string csv_path;  // the file they came from, for messages
  std::string data;
  std::string numbers;  // reserved before reading, so it never moves
};

}  // namespace quillon

#pragma once
// One contact of the exported log, as the reader leaves it.
#include <array>
#include <string>

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

}  // namespace quillon

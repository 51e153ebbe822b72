#pragma once
// One contact of the exported log, as the reader leaves it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct LogValue {
  enum class Kind : std::uint8_t { Empty, Text, Number };
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
  int file_record = 0;  // ordinal in the file, dropped records counted, for messages
  int file_line = 0;    // the line of the file where it starts

  // Fields are numbered 1 to 35.
  LogValue field(int n) const {
    const auto i = static_cast<std::size_t>(n - 1);
    const auto kind = static_cast<LogValue::Kind>(kinds_[i] & kKindBits);
    if (slots_[i].size == 0) return {kind, {}};
    return {kind, {(kinds_[i] & kInNumbers ? numbers_ : file_) + slots_[i].at, slots_[i].size}};
  }
  // `value` views `file` or `numbers`, each under 4 GiB.
  void set(int n, const LogValue& value, std::string_view file, std::string_view numbers) {
    const auto i = static_cast<std::size_t>(n - 1);
    file_ = file.data();
    numbers_ = numbers.data();
    const bool in_numbers =
        !value.text.empty() && !(value.text.data() >= file.data() && value.text.data() <= file.data() + file.size());
    slots_[i] = {
        value.text.empty() ? 0 : static_cast<std::uint32_t>(value.text.data() - (in_numbers ? numbers_ : file_)),
        static_cast<std::uint32_t>(value.text.size())};
    kinds_[i] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(value.kind) | (in_numbers ? kInNumbers : 0));
  }

 private:
  // Where each value lies, 8 bytes a field rather than a value's 24: the
  // parsed log takes under half the pages, and each page a fresh process
  // touches costs it a fault.
  struct Slot {
    std::uint32_t at = 0, size = 0;
  };
  static constexpr std::uint8_t kKindBits = 3, kInNumbers = 4;
  const char* file_ = nullptr;
  const char* numbers_ = nullptr;
  std::array<Slot, kFieldsPerRecord> slots_{};
  std::array<std::uint8_t, kFieldsPerRecord> kinds_{};
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

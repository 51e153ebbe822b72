#pragma once
// Reading the exported log and writing the upload document.
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "platform/clock.h"

namespace quillon {

// A failure that ends an upload run before anything is uploaded. what() is
// CP932 bytes, since it quotes paths and values from the log or the settings.
class RunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// More than 2000 records, a file ending inside a record, a file that cannot be
// opened. Names the file and, where it applies, the record number.
class LogReadError : public RunError {
 public:
  LogReadError(const std::string& message, std::string path, int record)
      : RunError(message), path(std::move(path)), record(record) {}
  std::string path;
  int record;  // 0 when no record applies
};

// A value that is not a whole number in range, or a document that cannot be
// written. Names the record, the field number and the value where they apply.
class ConversionError : public RunError {
 public:
  ConversionError(const std::string& message, int record, int field, std::string value)
      : RunError(message), record(record), field(field), value(std::move(value)) {}
  int record;  // 0 when no record applies
  int field;
  std::string value;
};

// Fills state.log_records 1..n from state.settings.csv_path and sets log_count.
void read_log(AppState& state);

// Writes the whole document to state.settings.xml_path: to a file beside it,
// renamed over it only when complete, so a failure leaves the old one untouched.
void koushin(AppState& state, platform::Clock& clock, std::string_view label3_caption);

inline constexpr const char* kXmlDeclaration = R"(<?xml version="1.0" encoding="Shift-JIS" ?>)";

}  // namespace quillon

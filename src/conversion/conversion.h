#pragma once
// Reading the exported log and writing the upload document.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/log_record.h"
#include "platform/clock.h"
#include "platform/error.h"

namespace quillon {

// What the head of the document takes from the settings (CP932 bytes).
struct HeadValues {
  std::string_view callsign, my_portable, qsl_name, address1, address2, address3;
  std::int16_t log_search = 0;
};

// Fills log.log_records 1..n from the file at `csv_path` (CP932 bytes, as the
// settings hold it) and sets log_count. More than 2000 records, a file ending
// inside a record or one that cannot be opened throw Error naming the file
// and, where it applies, the record.
void read_log(const std::string& csv_path, ContactLog& log);

// One thing the conversion would refuse, as `check` lists it.
struct LogProblem {
  int record = 0;     // in the file, from 1, dropped records counted
  int line = 0;       // where that record starts
  int field = 0;      // 0: not one field's problem
  std::string value;  // CP932, as the file holds it
  // In English, the key of its translation: "not a number", "out of range",
  // "past the 2000th record", "ends inside the record".
  std::string why;
};
// Every problem of the log at once, in file order; throws Error only when the
// file cannot be read.
std::vector<LogProblem> check_log(const std::string& csv_path);

// Writes the whole document to `xml_path`: to a file beside it, renamed over it
// only when complete, so a failure leaves the old one untouched. A value that
// is not a whole number in range, or a document that cannot be written, throw
// Error naming the record, the field and the value where they apply.
void koushin(const ContactLog& log, const HeadValues& head, const std::string& xml_path, platform::Clock& clock,
             std::string_view label3_caption);

// A contact as the document writes it: what the service sees of it (CP932).
struct DocumentContact {
  int record = 0, line = 0;  // where the log holds it
  std::string callsign;      // "prefix/call/suffix" as written
  std::string call;          // the worked station's callsign alone
  std::string daytime;       // "2024/01/01 09:30:00 JST"
  std::string frequency, mode, remarks;
};
// Each record of the log as koushin would write it; throws Error where koushin would.
std::vector<DocumentContact> document_contacts(const ContactLog& log);
// Keeps the records whose place in document_contacts() is true in `keep`,
// in their order.
void keep_records(ContactLog& log, const std::vector<bool>& keep);

inline constexpr const char* kXmlDeclaration = R"(<?xml version="1.0" encoding="Shift-JIS" ?>)";

}  // namespace quillon

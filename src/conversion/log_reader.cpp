#include <algorithm>
#include <cstdint>

#include "conversion/check.h"
#include "conversion/conversion.h"
#include "conversion/messages.h"
#include "conversion/numbers.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/paths.h"

namespace quillon {
namespace {

// Walks the file's items. Comma, quote, CR and LF never occur as the second byte of
// a CP932 double-byte character, so splitting on bytes is safe.
class ItemReader {
 public:
  ItemReader(std::string_view data, std::string& numbers) : data_(data), numbers_(numbers) {}

  // The line the next item starts on, counting CR LF, a lone CR or a lone LF
  // as one line end, inside quotes too.
  int line() {
    for (; counted_ < pos_; ++counted_) {
      const char c = data_[counted_];
      if (c == '\n' || (c == '\r' && (counted_ + 1 >= data_.size() || data_[counted_ + 1] != '\n'))) ++line_;
    }
    return line_;
  }

  // Only line ends, spaces and tabs are left: a trailing blank line starts no record.
  bool at_end_of_data() const {
    if (comma_pending_) return false;
    for (std::size_t i = pos_; i < data_.size(); ++i)
      if (!is_blank(data_[i]) && data_[i] != '\t' && data_[i] != '\r' && data_[i] != '\n') return false;
    return true;
  }

  // False when the file ends where an item was due. A comma promises one more item.
  bool next(LogValue& out) {
    if (pos_ >= data_.size() && !comma_pending_) return false;
    comma_pending_ = false;
    while (pos_ < data_.size() && is_blank(data_[pos_])) ++pos_;
    if (pos_ < data_.size() && data_[pos_] == '"') {
      const std::size_t close = data_.find('"', pos_ + 1);
      const std::size_t stop = close == std::string_view::npos ? data_.size() : close;
      set(out, LogValue::Kind::Text, data_.substr(pos_ + 1, stop - pos_ - 1));
      pos_ = stop < data_.size() ? stop + 1 : stop;
      while (pos_ < data_.size() && !is_delimiter(data_[pos_])) ++pos_;
    } else {
      std::size_t stop = pos_;
      while (stop < data_.size() && !is_delimiter(data_[stop])) ++stop;
      std::size_t last = stop;
      while (last > pos_ && is_blank(data_[last - 1])) --last;
      std::string_view item = data_.substr(pos_, last - pos_);
      pos_ = stop;
      if (item.empty()) {
        set(out, LogValue::Kind::Empty, {});
      } else if (const std::size_t at = numbers_.size(); append_plain_decimal(item, numbers_)) {
        // Most numbers are written plain already: view them where they lie.
        const std::string_view plain = std::string_view(numbers_).substr(at);
        set(out, LogValue::Kind::Number, plain == item ? item : plain);
        if (plain == item) numbers_.resize(at);
      } else {
        set(out, LogValue::Kind::Text, item);
      }
    }
    consume_delimiter();
    return true;
  }

 private:
  static void set(LogValue& v, LogValue::Kind kind, std::string_view text) {
    v.kind = kind;
    v.text = text;
  }
  static bool is_blank(char c) { return c == ' '; }  // a tab is part of an item
  static bool is_delimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }

  // CR LF is the line end; a bare LF or CR counts as one too.
  void consume_delimiter() {
    if (pos_ >= data_.size()) return;
    const char c = data_[pos_++];
    if (c == ',') comma_pending_ = true;
    else if (c == '\r' && pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
  }

  std::string_view data_;
  std::string& numbers_;
  std::size_t pos_ = 0;
  bool comma_pending_ = false;
  std::size_t counted_ = 0;
  int line_ = 1;
};

// With `problems`, the two faults that end the reading are listed there instead of thrown.
void read_records(const std::string& path, ContactLog& log, std::vector<LogProblem>* problems) {
  log.log_count = 0;
  log.log_records.resize(1);
  log.csv_path = path;
  log.numbers.clear();
  // A record keeps where its values lie in 32 bits; no log of 2000 contacts comes near.
  if (!platform::read_whole_file(platform::native_path(path), log.data) || log.data.size() >= UINT32_MAX / 4)
    throw Error(Failed::Log, conversion_text::cannot_open_log(path));
  log.numbers.reserve(log.data.size() * 2 + 2);  // a plain form is at most one byte longer
  // A record takes at least 34 commas and a line end: room for all at once.
  log.log_records.reserve(std::min<std::size_t>(kMaxLogRecords, log.data.size() / 35) + 2);

  ItemReader items(log.data, log.numbers);
  int file_record = 0;
  while (!items.at_end_of_data()) {
    ++file_record;
    const int line = items.line();
    // Checked before field 30 is seen, so it fires even for a record that would be dropped.
    if (log.log_count + 1 > kMaxLogRecords) {
      if (!problems) throw Error(Failed::Log, conversion_text::too_many_records(path, file_record, line));
      problems->push_back({file_record, line, 0, {}, N_("past the 2000th record")});
      return;
    }
    ++log.log_count;
    if (log.log_records.size() <= static_cast<std::size_t>(log.log_count)) log.log_records.emplace_back();
    LogRecord& record = log.log_records[static_cast<std::size_t>(log.log_count)];
    record.file_record = file_record;
    record.file_line = line;
    for (int n = 1; n <= kFieldsPerRecord; ++n) {
      LogValue field;
      if (!items.next(field)) {
        if (!problems) throw Error(Failed::Log, conversion_text::ends_inside_record(path, file_record, line));
        problems->push_back({file_record, line, 0, {}, N_("ends inside the record")});
        --log.log_count;
        return;
      }
      record.set(n, field, log.data, log.numbers);
    }
    const LogValue mark = record.field(30);
    if (mark.kind == LogValue::Kind::Text && mark.text == "N") --log.log_count;
  }
}

}  // namespace

void read_log(const std::string& path, ContactLog& log) { read_records(path, log, nullptr); }

std::vector<LogProblem> check_log(const std::string& csv_path) {
  ContactLog log;
  std::vector<LogProblem> problems, ending;
  read_records(csv_path, log, &ending);
  check_values(log, problems);
  problems.insert(problems.end(), ending.begin(), ending.end());
  return problems;
}

}  // namespace quillon

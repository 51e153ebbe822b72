#include <algorithm>

#include "conversion/check.h"
#include "conversion/conversion.h"
#include "conversion/document_texts.h"
#include "conversion/messages.h"
#include "conversion/numbers.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/paths.h"

namespace quillon {
namespace {

// The document under construction, written through one buffer.
class DocumentFile {
 public:
  explicit DocumentFile(const std::string& path)
      : path_(path), file_(platform::native_path(path), platform::ReplacingFile::Access::Ordinary) {
    if (!file_.ok()) throw Error(Failed::File, conversion_text::cannot_create_document(path));
    buffer_.reserve(kBufferSize + 4096);
  }

  void line(std::string_view text) {
    buffer_.append(text).append("\r\n");
    if (buffer_.size() >= kBufferSize) flush();
  }

  // "<name>value</name>" as one line, the value given in parts.
  void element(std::string_view name, std::initializer_list<std::string_view> value) {
    buffer_.append("<").append(name).append(">");
    for (std::string_view part : value) buffer_.append(part);
    buffer_.append("</").append(name).append(">");
    line({});
  }
  void element(std::string_view name, std::string_view value) { element(name, {value}); }

  void commit() {
    flush();
    if (!file_.commit()) fail();
  }

 private:
  static constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

  void flush() {
    if (!file_.write(buffer_)) fail();
    buffer_.clear();
  }
  [[noreturn]] void fail() { throw Error(Failed::File, conversion_text::cannot_write_document(path_)); }

  std::string path_;  // as the settings hold it, for messages
  platform::ReplacingFile file_;
  std::string buffer_;
};

struct Entry {
  const char* tag;
  std::string_view value;
};

std::string head_line(std::initializer_list<Entry> entries) {
  std::string out = document_text::kHeadPrefix;
  bool first = true;
  for (const Entry& e : entries) {
    if (!first) out += '|';
    first = false;
    out += e.tag;
    out += e.value;
  }
  return out;
}

void wr_head(DocumentFile& doc, const HeadValues& s, platform::Clock& clock) {
  const std::string date = platform::format_date(clock.now());
  const std::string time = platform::format_time(clock.now());
  const std::string_view none;
  // Nothing supplies remarks for the whole log, so that entry stays empty.
  doc.line(head_line({{"<PUTQSODATA_VERSION>", none},
                      {"<CALLSIGN>", s.callsign},
                      {"<PORTABLE>", s.my_portable},
                      {"<PORTABLE_PREFIX>", none},
                      {"<QSL_REMARKS>", none}}));
  doc.line(head_line({{"<NAME>", s.qsl_name},
                      {"<ADDRESS1>", s.address1},
                      {"<ADDRESS2>", s.address2},
                      {"<ADDRESS3>", s.address3},
                      {"<FILE_NUMBER>", none}}));
  doc.line(head_line({{"<QSLFILE_NAME>", none}, {"<QSLFILE_PATH>", none}}));
  for (const char* band : document_text::kBandTable) doc.line(band);
  const std::string stamp = date + time;
  const std::string_view search = s.log_search != 0 ? "ON" : "";
  const std::string_view software = document_text::kSoftware;
  doc.line(head_line({{"<SOFTWARE>", software}, {"<VERSION>", none}, {"<MAKE>", stamp}, {"<LOG_SERCH>", search}}));
  doc.line(head_line({{"<BODY_DATA>", none}}));
}

// An empty prefix or suffix is left out with its "/"; the callsign is always written.
std::string written_callsign(std::string_view prefix, std::string_view call, std::string_view suffix) {
  std::string out(prefix);
  if (!prefix.empty()) out += '/';
  out += call;
  if (!suffix.empty()) out.append("/").append(suffix);
  return out;
}

void wr_callsign(DocumentFile& doc, std::string_view prefix, std::string_view call, std::string_view suffix) {
  doc.element("callsign", written_callsign(prefix, call, suffix));
}

// One contact's values, all taken before anything of it is written.
struct Contact {
  std::string_view date, time, zone, prefix, call, suffix, mode, rig, antenna, remarks, portable;
  std::string frequency, his_rpt, my_rpt, power;
};

// With `problems`, values that are no whole number are listed there and taken as 0.
Contact take(const LogRecord& r, const std::string& csv_path, std::vector<LogProblem>* problems = nullptr) {
  auto number = [&](int field) {
    const LogValue v = r.field(field);
    const std::optional<std::int16_t> n = whole_number(v);
    if (n) return std::to_string(*n);
    if (!problems)
      throw Error(Failed::Log,
                  conversion_text::not_a_whole_number(csv_path, r.file_record, r.file_line, field, v.text));
    problems->push_back({r.file_record, r.file_line, field, std::string(v.text),
                         reads_as_number(v) ? N_("out of range") : N_("not a number")});
    return std::string("0");
  };
  auto text = [&](int field) -> std::string_view { return r.field(field).text_form(); };
  Contact c;
  c.date = text(14);
  c.time = text(15);
  c.zone = text(17) == "J" ? "JST" : "UTC";
  c.prefix = text(1);
  c.call = text(2);
  c.suffix = text(3);
  c.frequency = number(11);
  c.mode = text(12);
  c.his_rpt = number(9);
  c.my_rpt = number(10);
  c.rig = text(26);
  c.antenna = text(27);
  c.remarks = text(34);
  c.power = number(13);
  c.portable = text(23);
  return c;
}

std::string written_daytime(const Contact& c) {
  return std::string(c.date).append(" ").append(c.time).append(":00 ").append(c.zone);
}

}  // namespace

std::vector<DocumentContact> document_contacts(const ContactLog& log) {
  std::vector<DocumentContact> out;
  out.reserve(static_cast<std::size_t>(std::max<int>(log.log_count, 0)));
  for (int i = 1; i <= log.log_count; ++i) {
    const LogRecord& r = log.log_records[static_cast<std::size_t>(i)];
    const Contact c = take(r, log.csv_path);
    out.push_back({r.file_record, r.file_line, written_callsign(c.prefix, c.call, c.suffix), std::string(c.call),
                   written_daytime(c), c.frequency, std::string(c.mode), std::string(c.remarks)});
  }
  return out;
}

void keep_records(ContactLog& log, const std::vector<bool>& keep) {
  std::int16_t kept = 0;
  for (int i = 1; i <= log.log_count; ++i)
    if (keep.at(static_cast<std::size_t>(i - 1)))
      log.log_records[static_cast<std::size_t>(++kept)] = log.log_records[static_cast<std::size_t>(i)];
  log.log_count = kept;
}

void check_values(const ContactLog& log, std::vector<LogProblem>& problems) {
  for (int i = 1; i <= log.log_count; ++i) take(log.log_records[static_cast<std::size_t>(i)], log.csv_path, &problems);
}

void koushin(const ContactLog& log, const HeadValues& head, const std::string& xml_path, platform::Clock& clock,
             std::string_view label3_caption) {
  DocumentFile doc(xml_path);
  wr_head(doc, head, clock);
  doc.line(std::string(label3_caption));
  doc.line(document_text::kBodyStart);
  const int n = log.log_count;
  for (int i = 1; i <= n; ++i) {
    const Contact c = take(log.log_records[static_cast<std::size_t>(i)], log.csv_path);
    doc.line("<qso_record>");
    doc.element("daytime", written_daytime(c));
    wr_callsign(doc, c.prefix, c.call, c.suffix);
    doc.element("frequency", c.frequency);
    doc.element("mode", c.mode);
    doc.element("his_rpt", c.his_rpt);
    doc.element("my_rpt", c.my_rpt);
    doc.element("qsl_remarks", c.remarks);
    doc.element("qsl_rig", c.rig);
    doc.element("qsl_ant", c.antenna);
    doc.element("qsl_pwr", c.power);
    doc.element("my_portable", c.portable);
    doc.line("<my_portable_prefix></my_portable_prefix>");
    doc.line("</qso_record>");
  }
  doc.line(document_text::kBodyEnd);
  doc.commit();
}

}  // namespace quillon

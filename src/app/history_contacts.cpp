#include "app/history_contacts.h"

#include <algorithm>
#include <charconv>

#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/sqlite_api.h"

namespace quillon::history_form {
namespace {

// Plain stretches appended whole: most texts have nothing to escape.
void append_string(std::string& out, std::string_view text) {
  out += '"';
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '"' && c != '\\' && static_cast<unsigned char>(c) >= 0x20) continue;
    out.append(text.substr(plain, i - plain));
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[(c >> 4) & 0xf];
      out += kHex[c & 0xf];
    }
    plain = i + 1;
  }
  out.append(text.substr(plain));
  out += '"';
}

std::uint64_t key_of(std::string_view daytime, std::string_view callsign, std::string_view frequency,
                     std::string_view mode) {
  std::uint64_t h = fnv1a({});
  for (const std::string_view text : {daytime, callsign, frequency, mode})
    h = fnv1a("\xff", fnv1a(text, h));  // 0xff ends a text: no UTF-8 holds it
  return h;
}

// The text as kept: UTF-8, most of it ASCII and taken as it is.
std::string_view utf8_of(std::string_view cp932, std::string& room) {
  if (std::all_of(cp932.begin(), cp932.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return cp932;
  room = cp932::to_utf8_lossy(cp932);
  return room;
}

}  // namespace

std::uint64_t contact_key(const DocumentContact& c) {
  std::string room[4];
  return key_of(utf8_of(c.daytime, room[0]), utf8_of(c.callsign, room[1]), utf8_of(c.frequency, room[2]),
                utf8_of(c.mode, room[3]));
}

RunContacts::RunContacts(std::size_t expected) {
  json_.reserve(expected * 96 + 2);
  keys_.reserve(expected * 8);
}

RunContacts::RunContacts(const std::vector<DocumentContact>& contacts) : RunContacts(contacts.size()) {
  for (const DocumentContact& c : contacts) add(c);
}

void RunContacts::add(const DocumentContact& c) {
  std::string room[6];
  const std::string_view texts[6] = {utf8_of(c.callsign, room[0]), utf8_of(c.call, room[1]),
                                     utf8_of(c.daytime, room[2]),  utf8_of(c.frequency, room[3]),
                                     utf8_of(c.mode, room[4]),     utf8_of(c.remarks, room[5])};
  add_texts(c.record, c.line, texts);
}

void RunContacts::add_kept(const DocumentContact& c) {
  const std::string_view texts[6] = {c.callsign, c.call, c.daytime, c.frequency, c.mode, c.remarks};
  add_texts(c.record, c.line, texts);
}

void DaytimeSpan::add(std::string_view daytime) {
  if (!seen || daytime < first) first = daytime;
  if (!seen || daytime > last) last = daytime;
  seen = true;
}

DaytimeSpan daytime_span(const std::vector<DocumentContact>& contacts) {
  DaytimeSpan span;
  std::string room;
  for (const DocumentContact& c : contacts) span.add(utf8_of(c.daytime, room));
  return span;
}

void RunContacts::add_texts(int record, int line, const std::string_view (&texts)[6]) {
  span_.add(texts[2]);
  json_ += json_.size() > 1 ? ",[" : "[";
  json_ += std::to_string(record);
  json_ += ',';
  json_ += std::to_string(line);
  for (const std::string_view text : texts) {
    json_ += ',';
    append_string(json_, text);
  }
  json_ += ']';
  const std::uint64_t key = key_of(texts[2], texts[0], texts[3], texts[4]);
  keys_.append(reinterpret_cast<const char*>(&key), sizeof key);  // little-endian, as key_at reads it
}

const std::string& RunContacts::json() {
  if (!closed_) json_ += ']';
  closed_ = true;
  return json_;
}

namespace {

// Walks JSON of the form RunContacts writes; texts may hold any escape JSON allows.
class Reader {
 public:
  explicit Reader(std::string_view json) : s_(json) {}
  void skip_space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }
  bool eat(char c) {
    skip_space();
    if (i_ >= s_.size() || s_[i_] != c) return false;
    ++i_;
    return true;
  }
  void expect(char c) {
    if (!eat(c)) bad();
  }
  bool at_end() {
    skip_space();
    return i_ == s_.size();
  }
  int number() {
    skip_space();
    int v = 0;
    const auto [end, ec] = std::from_chars(s_.data() + i_, s_.data() + s_.size(), v);
    if (ec != std::errc()) bad();
    i_ = static_cast<std::size_t>(end - s_.data());
    return v;
  }
  void text(std::string& out) {
    expect('"');
    out.clear();
    while (i_ < s_.size()) {
      // A loop, not find_first_of: that one calls memchr on its set for each byte.
      std::size_t plain = i_;
      while (plain < s_.size() && s_[plain] != '"' && s_[plain] != '\\') ++plain;
      if (plain == s_.size()) bad();
      out.append(s_.substr(i_, plain - i_));
      i_ = plain + 1;
      if (s_[plain] == '"') return;
      escape(out);
    }
    bad();
  }
  [[noreturn]] static void bad() { throw Error(Failed::History, "a run's contacts are damaged", SQLITE_CORRUPT); }

 private:
  void escape(std::string& out) {
    if (i_ >= s_.size()) bad();
    const char e = s_[i_++];
    switch (e) {
      case '"':
      case '\\':
      case '/': out += e; return;
      case 'b': out += '\b'; return;
      case 'f': out += '\f'; return;
      case 'n': out += '\n'; return;
      case 'r': out += '\r'; return;
      case 't': out += '\t'; return;
      case 'u': break;
      default: bad();
    }
    unsigned cp = 0;
    if (i_ + 4 > s_.size() || std::from_chars(s_.data() + i_, s_.data() + i_ + 4, cp, 16).ptr != s_.data() + i_ + 4)
      bad();
    i_ += 4;
    if (cp >= 0xD800 && cp <= 0xDFFF) bad();  // RunContacts writes none; a pair is not worth reading
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

}  // namespace

std::vector<DocumentContact> read_contacts(std::string_view json, const std::function<bool(std::string_view)>& keep) {
  Reader in(json);
  std::vector<DocumentContact> out;
  DocumentContact c;
  in.expect('[');
  if (!in.eat(']')) {
    do {
      in.expect('[');
      c.record = in.number();
      in.expect(',');
      c.line = in.number();
      for (std::string* text : {&c.callsign, &c.call, &c.daytime, &c.frequency, &c.mode, &c.remarks}) {
        in.expect(',');
        in.text(*text);
      }
      in.expect(']');
      if (keep(c.call)) out.push_back(c);
    } while (in.eat(','));
    in.expect(']');
  }
  if (!in.at_end()) Reader::bad();
  return out;
}

}  // namespace quillon::history_form

#include "app/history_contacts.h"

#include <algorithm>
#include <charconv>

#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/sqlite_api.h"

namespace quillon::history_form {
namespace {

void append_string(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[(c >> 4) & 0xf];
      out += kHex[c & 0xf];
    } else {
      out += c;
    }
  }
  out += '"';
}

void add_fnv1a(std::uint64_t& h, std::string_view bytes) {
  for (const unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
  h = (h ^ 0xffu) * 0x100000001b3ull;  // 0xff ends a text: no UTF-8 holds it
}

std::uint64_t key_of(std::string_view daytime, std::string_view callsign, std::string_view frequency,
                     std::string_view mode) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const std::string_view text : {daytime, callsign, frequency, mode}) add_fnv1a(h, text);
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

void RunContacts::span(std::string_view daytime) {
  if (!spanned_ || daytime < first_) first_ = daytime;
  if (!spanned_ || daytime > last_) last_ = daytime;
  spanned_ = true;
}

void RunContacts::add_daytime(const DocumentContact& c) {
  std::string room;
  span(utf8_of(c.daytime, room));
}

void RunContacts::add_texts(int record, int line, const std::string_view (&texts)[6]) {
  span(texts[2]);
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
  json_ += ']';
  return json_;
}

namespace {

// Walks JSON of the form RunContacts writes; texts may hold any escape JSON allows.
class Reader {
 public:
  explicit Reader(std::string_view json) : s_(json) {}
  bool eat(char c) {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
    if (i_ >= s_.size() || s_[i_] != c) return false;
    ++i_;
    return true;
  }
  bool at_end() {
    eat(' ');
    return i_ == s_.size();
  }
  int number() {
    eat(' ');
    int v = 0;
    const auto [end, ec] = std::from_chars(s_.data() + i_, s_.data() + s_.size(), v);
    if (ec != std::errc()) bad();
    i_ = static_cast<std::size_t>(end - s_.data());
    return v;
  }
  void text(std::string& out) {
    if (!eat('"')) bad();
    out.clear();
    while (i_ < s_.size()) {
      const std::size_t plain = s_.find_first_of("\"\\", i_);
      if (plain == std::string_view::npos) bad();
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
  if (!in.eat('[')) Reader::bad();
  if (in.eat(']')) {
    if (!in.at_end()) Reader::bad();
    return out;
  }
  do {
    if (!in.eat('[')) Reader::bad();
    c.record = in.number();
    for (std::string* field : {&c.callsign, &c.call, &c.daytime, &c.frequency, &c.mode, &c.remarks}) {
      if (field == &c.callsign) {
        if (!in.eat(',')) Reader::bad();
        c.line = in.number();
      }
      if (!in.eat(',')) Reader::bad();
      in.text(*field);
    }
    if (!in.eat(']')) Reader::bad();
    if (keep(c.call)) out.push_back(c);
  } while (in.eat(','));
  if (!in.eat(']') || !in.at_end()) Reader::bad();
  return out;
}

}  // namespace quillon::history_form

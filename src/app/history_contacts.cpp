#include "app/history_contacts.h"

#include <algorithm>

#include <nlohmann/json.hpp>

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

std::string json_text(std::string_view text) {
  std::string quoted;
  append_string(quoted, text);
  return quoted.substr(1, quoted.size() - 2);
}

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

void RunContacts::add_texts(int record, int line, const std::string_view (&texts)[6]) {
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
  for (int b = 0; b < 8; ++b) keys_ += static_cast<char>((key >> (8 * b)) & 0xff);
}

const std::string& RunContacts::json() {
  json_ += ']';
  return json_;
}

std::vector<DocumentContact> read_contacts(std::string_view json) {
  const nlohmann::json all = nlohmann::json::parse(json, nullptr, false);
  std::vector<DocumentContact> out;
  try {
    if (all.is_discarded() || !all.is_array()) throw std::invalid_argument("not an array");
    out.reserve(all.size());
    for (const nlohmann::json& c : all)
      out.push_back({c.at(0).get<int>(), c.at(1).get<int>(), c.at(2).get<std::string>(), c.at(3).get<std::string>(),
                     c.at(4).get<std::string>(), c.at(5).get<std::string>(), c.at(6).get<std::string>(),
                     c.at(7).get<std::string>()});
  } catch (const std::exception&) {
    throw Error(Failed::History, "a run's contacts are damaged", SQLITE_CORRUPT);
  }
  return out;
}

}  // namespace quillon::history_form

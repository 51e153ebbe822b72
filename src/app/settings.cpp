#include "app/settings.h"

#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/cp932.h"
#include "platform/files.h"

namespace quillon {
namespace {

constexpr int kLines = 13;

std::string integer_line(std::int16_t v) {
  // " 0 ", " 1 ", "-1 ": the sign's place holds a blank for non-negative values.
  std::string digits = std::to_string(v < 0 ? -static_cast<int>(v) : static_cast<int>(v));
  return (v < 0 ? "-" : " ") + digits + " ";
}

// Blanks around the number are ignored; anything else, or a value outside 16 bits, reads 0.
std::int16_t parse_integer(std::string_view line) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  if (!line.empty() && line.front() == '+') line.remove_prefix(1);
  int value = 0;
  auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (ec != std::errc() || end != line.data() + line.size() || line.empty()) return 0;
  if (value < INT16_MIN || value > INT16_MAX) return 0;
  return static_cast<std::int16_t>(value);
}

// Messages are CP932, like the values they quote.
std::string sjis(std::string_view utf8) { return cp932::text(utf8); }

}  // namespace

Settings read_settings(const std::string& path) {
  std::string data;
  if (!platform::read_whole_file(path, data))
    throw platform::file_error(Failed::Settings, sjis("設定ファイルを開けません: ") + path);
  std::vector<std::string> lines;
  std::string_view rest = data;
  while (static_cast<int>(lines.size()) < kLines && !rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == rest.npos ? rest.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
  }
  lines.resize(kLines);  // a short file reads the missing values as empty or 0

  Settings s;
  s.csv_path = lines[0];
  s.xml_path = lines[1];
  s.callsign = lines[2];
  s.server_password = lines[3];
  s.my_portable = lines[4];
  s.hangup_on_exit = parse_integer(lines[5]);
  s.address1 = lines[6];
  s.address2 = lines[7];
  s.address3 = lines[8];
  s.design_no = lines[9];
  s.qsl_path = lines[10];
  s.log_search = parse_integer(lines[11]);
  s.qsl_name = lines[12];
  return s;
}

void write_settings(const std::string& path, const Settings& s) {
  std::string bytes;
  for (const std::string& line :
       {s.csv_path, s.xml_path, s.callsign, s.server_password, s.my_portable, integer_line(s.hangup_on_exit),
        s.address1, s.address2, s.address3, s.design_no, s.qsl_path, integer_line(s.log_search), s.qsl_name}) {
    bytes += line;
    bytes += "\r\n";
  }

  // Owner-only, since it holds the server password.
  platform::ReplacingFile file(path, platform::ReplacingFile::Access::OwnerOnly);
  if (!file.ok())
    throw Error(Failed::Settings, sjis("設定ファイルを作成できません: ") + path + " (" + file.reason() + ")");
  if (!file.write(bytes) || !file.commit())
    throw Error(Failed::Settings, sjis("設定ファイルを書き込めません: ") + path + " (" + file.reason() + ")");
}

}  // namespace quillon

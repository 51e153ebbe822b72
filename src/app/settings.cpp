#include "app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/cp932.h"

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

std::string system_reason() { return std::strerror(errno); }

// Messages are CP932, like the values they quote.
std::string sjis(std::string_view utf8) { return cp932::from_utf8(utf8); }

}  // namespace

Settings read_settings(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SettingsError(sjis("設定ファイルを開けません: ") + path + " (" + system_reason() + ")");
  std::vector<std::string> lines;
  std::string line;
  while (static_cast<int>(lines.size()) < kLines && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (in.bad()) throw SettingsError(sjis("設定ファイルを読めません: ") + path);
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
       {s.csv_path, s.xml_path, s.callsign, s.server_password, s.my_portable,
        integer_line(s.hangup_on_exit), s.address1, s.address2, s.address3, s.design_no,
        s.qsl_path, integer_line(s.log_search), s.qsl_name}) {
    bytes += line;
    bytes += "\r\n";
  }

  // Written beside the file and renamed over it, so a crash never leaves half a file;
  // owner-only, since it holds the server password.
  std::string temp = path + ".tmp-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) throw SettingsError(sjis("設定ファイルを作成できません: ") + path + " (" + system_reason() + ")");
  ::fchmod(fd, S_IRUSR | S_IWUSR);
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool written = done == bytes.size() && ::fsync(fd) == 0;
  const std::string reason = system_reason();
  ::close(fd);
  if (!written || std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string why = written ? system_reason() : reason;
    ::unlink(temp.c_str());
    throw SettingsError(sjis("設定ファイルを書き込めません: ") + path + " (" + why + ")");
  }
}

}  // namespace quillon

#pragma once
// The user's 13 settings and the settings file that holds them.
#include <cstdint>
#include <string>

#include "platform/error.h"

namespace quillon {

// Strings are code-page-932 bytes exactly as the file holds them.
struct Settings {
  std::string csv_path;
  std::string xml_path;
  std::string callsign;
  std::string server_password;
  std::string my_portable;
  std::int16_t hangup_on_exit = 0;
  std::string address1;
  std::string address2;
  std::string address3;
  std::string design_no;
  std::string qsl_path;
  std::int16_t log_search = 0;
  std::string qsl_name;

  bool operator==(const Settings&) const = default;
};

// `path` is native. Throws Error naming the file when it cannot be read.
Settings read_settings(const std::string& path);
// Replaces the file atomically, readable by its owner only.
// Throws Error naming the file when it cannot be written.
void write_settings(const std::string& path, const Settings& settings);

}  // namespace quillon

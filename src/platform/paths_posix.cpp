#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/cp932.h"
#include "platform/paths.h"

namespace quillon::platform {

const char kPathSeparator = '/';

std::string settings_folder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  std::filesystem::path folder = base / "quillon";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);  // a failure shows when a file is opened
  return folder.string();
}

// Linux names files in UTF-8.
std::string native_path(std::string_view cp932_path) { return cp932::to_utf8_or_as_is(cp932_path); }

}  // namespace quillon::platform

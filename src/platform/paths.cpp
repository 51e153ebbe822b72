#include "platform/paths.h"

#include <cstdlib>
#include <system_error>

#include "platform/cp932.h"

namespace quillon::platform {

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

std::string native_path(std::string_view cp932_path) { return cp932::to_utf8_or_as_is(cp932_path); }

bool ordinary_file_exists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

long long file_size(const std::string& path) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  return ec ? -1 : static_cast<long long>(size);
}

}  // namespace quillon::platform

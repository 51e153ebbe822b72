#pragma once
// The settings folder stands in for the Windows directory.
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::platform {

// $XDG_CONFIG_HOME/quillon, else ~/.config/quillon; created when missing.
// Returns the folder as a native string, without a trailing separator.
std::string settings_folder();

inline constexpr char kPathSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// A path from the settings (code-page-932 bytes) as the file system names it:
// Linux names files in UTF-8. Bytes that are not CP932 are taken as they are.
std::string native_path(std::string_view cp932_path);

// An ordinary file: exists, is a regular file (not a directory or device).
// An empty path names no file.
bool ordinary_file_exists(const std::string& path);

// Size in bytes of the file, or -1 when it cannot be read.
long long file_size(const std::string& path);

}  // namespace quillon::platform

#pragma once
// The settings folder stands in for the Windows directory.
#include <string>
#include <string_view>

namespace quillon::platform {

// $XDG_CONFIG_HOME/quillon, else ~/.config/quillon; created when missing.
// Returns the folder as a native string, without a trailing separator.
std::string settings_folder();

extern const char kPathSeparator;

// A path from the settings (code-page-932 bytes) as the file system names it.
// Bytes that are not CP932 are taken as they are.
std::string native_path(std::string_view cp932_path);

}  // namespace quillon::platform

#pragma once
// What the commands share for talking to a terminal.
#include <string>
#include <string_view>

#include "commands.h"

namespace quillon::cli {

// CP932 bytes as UTF-8 for the terminal; bytes that are not CP932 pass unchanged.
std::string for_terminal(std::string_view cp932_text);

// qsodata.qsl in the settings folder.
std::string default_settings_path();

std::string option_or(const ParsedOptions& options, const std::string& name,
                      const std::string& fallback);

}  // namespace quillon::cli

#pragma once
// What the commands share for talking to a terminal.
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "commands.h"

namespace quillon::cli {

// CP932 bytes as UTF-8 for the terminal; bytes that are not CP932 pass unchanged.
std::string for_terminal(std::string_view cp932_text);

// qsodata.qsl in the settings folder.
std::string default_settings_path();

std::string option_or(const ParsedOptions& options, const std::string& name, const std::string& fallback);

// "quillon-cli COMMAND: WHY" and the command's usage on stderr; exit code 2.
int usage_error(const CommandSpec& command, const std::string& why);
// "--help": the usage and the exit codes on stdout.
int print_usage(const CommandSpec& command);
// The --json result: one object, one line, on stdout.
void print_json(const nlohmann::ordered_json& result);

}  // namespace quillon::cli

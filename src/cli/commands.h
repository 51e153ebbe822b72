#pragma once
// The subcommands of quillon-cli. Each takes the words after its name and
// returns the process exit code, the same for every command.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "command_table.h"

namespace quillon::cli {

int convert(const std::vector<std::string>& args);
int upload(const std::vector<std::string>& args);
int history(const std::vector<std::string>& args);
int check(const std::vector<std::string>& args);

// The command's "--name VALUE" options and "--flag"s; "--help" is reported as help.
// Anything else, a repeated option, a missing value or two options of one
// group is an error with a message.
struct ParsedOptions {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  bool help = false;
  std::optional<std::string> error;
};
ParsedOptions parse_options(const std::vector<std::string>& args, const CommandSpec& command);
// A whole number from 0 to max, written in digits alone; empty for anything else.
std::optional<unsigned long> whole_number(std::string_view text, unsigned long max);
// --server HOST[:PORT], else the built-in host; false when it is malformed.
bool server_option(const ParsedOptions& options, std::string& host, std::uint16_t& port);

}  // namespace quillon::cli

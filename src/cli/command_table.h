#pragma once
// The command line's words, written once: each command's options and their
// help, the exit codes and the files. The usage texts, the manual pages and
// the shell completion are all made from this table.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the settings or the log refused; nothing sent
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoConnection = 3;  // no connection, or the login refused
inline constexpr int kExitNotStored = 4;     // the server refused the file or the transfer broke
inline constexpr int kExitNotClosed = 5;     // stored, but closing the connection failed
inline constexpr int kExitAlreadySent = 6;   // contacts of this log went up already (upload --force sends them)
inline constexpr int kExitBusy = 7;          // another upload was still under way after the wait

// What an option's value is, for the completion.
enum class ValueKind { None, File, Other };

struct OptionSpec {
  std::string_view name;
  std::string_view value;  // "FILE", "N" ...; empty for a flag
  ValueKind kind;
  std::string_view help;  // its lines, "\n" between them
  int group = 0;          // the options of one group above 0 do not go together
};

struct CommandSpec {
  std::string_view name;
  std::string_view summary;  // its line in the top-level help
  std::string_view about;    // its paragraph in the manual page
  std::vector<OptionSpec> options;
};

struct ExitSpec {
  int code;
  std::string_view meaning;
};

struct FileSpec {
  std::string_view name;
  std::string_view about;
};

const std::vector<CommandSpec>& command_table();
const CommandSpec& command_spec(std::string_view name);  // one of the table's names
const std::vector<ExitSpec>& exit_table();
const std::vector<FileSpec>& file_table();

// "[--settings FILE]", "[--force | --only-new]" ...: each option shown by SHOW,
// those of one group in one unit.
std::vector<std::string> synopsis_units(const CommandSpec& command,
                                        const std::function<std::string(const OptionSpec&)>& show);
// "usage: quillon-cli upload [--settings FILE] ...", wrapped under its command.
std::string synopsis(const CommandSpec& command, std::string_view lead);
// The synopsis and a line (or more) for each option.
std::string command_usage(const CommandSpec& command);
// Every command's synopsis, then each command's summary.
std::string top_usage();
// "exit codes: 0 done; ..." wrapped.
std::string exit_codes_text();

}  // namespace quillon::cli

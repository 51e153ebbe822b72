#pragma once
// The subcommands of quillon-cli. Each takes the words after its name and
// returns the process exit code, the same for every command.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
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

inline constexpr const char* kExitCodes =
    "exit codes: 0 done; 1 the settings or the log refused, nothing sent; 2 bad usage;\n"
    "  3 no connection or login refused; 4 the server refused the file or the transfer broke;\n"
    "  5 stored, but closing the connection failed; 6 already sent;\n"
    "  7 another upload still under way\n";

int convert(const std::vector<std::string>& args);
int upload(const std::vector<std::string>& args);
int history(const std::vector<std::string>& args);
int check(const std::vector<std::string>& args);

// "--name VALUE" options and "--flag"s; "--help" is reported as help.
// Anything else, a repeated option or a missing value is an error with a message.
struct ParsedOptions {
  std::map<std::string, std::string> values;
  std::set<std::string> flags;
  bool help = false;
  std::optional<std::string> error;
};
ParsedOptions parse_options(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                            const std::vector<std::string>& allowed_flags = {});
// --server HOST[:PORT], else the built-in host; false when it is malformed.
bool server_option(const ParsedOptions& options, std::string& host, std::uint16_t& port);

}  // namespace quillon::cli

#pragma once
// The subcommands of quillon-cli. Each takes the words after its name and
// returns the process exit code: 0 success, 1 failure, 2 bad usage.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillon::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int convert(const std::vector<std::string>& args);
int upload(const std::vector<std::string>& args);

// "--name VALUE" options; "--help" is reported as help. Anything else, a
// repeated option or a missing value is an error with a message.
struct ParsedOptions {
  std::map<std::string, std::string> values;
  bool help = false;
  std::optional<std::string> error;
};
ParsedOptions parse_options(const std::vector<std::string>& args,
                            const std::vector<std::string>& allowed);

}  // namespace quillon::cli

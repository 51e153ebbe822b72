#include "console.h"

#include "app/history.h"

#include "platform/cp932.h"
#include "platform/paths.h"
#include "platform/terminal.h"

namespace quillon::cli {

std::string for_terminal(std::string_view cp932_text) { return cp932::to_utf8_or_as_is(cp932_text); }

std::string default_settings_path() { return platform::settings_folder() + platform::kPathSeparator + "qsodata.qsl"; }

std::string option_or(const ParsedOptions& options, const std::string& name, const std::string& fallback) {
  auto it = options.values.find(name);
  return it == options.values.end() ? fallback : it->second;
}

int usage_error(const CommandSpec& command, const std::string& why) {
  platform::write_text(platform::Stream::Err,
                       "quillon-cli " + std::string(command.name) + ": " + why + "\n" + command_usage(command));
  return kExitUsage;
}

int print_usage(const CommandSpec& command) {
  platform::write_text(platform::Stream::Out, command_usage(command) + exit_codes_text());
  return kExitOk;
}

void print_json(const nlohmann::ordered_json& result) {
  platform::write_text(platform::Stream::Out, json_line(result) + "\n");
}

}  // namespace quillon::cli

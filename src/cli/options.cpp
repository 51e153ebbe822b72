#include <charconv>

#include "build_config.h"

#include "commands.h"
#include "text.h"

namespace quillon::cli {

namespace {

const OptionSpec* option_named(const CommandSpec& command, std::string_view name) {
  for (const OptionSpec& o : command.options)
    if (o.name == name) return &o;
  return nullptr;
}

bool given(const ParsedOptions& parsed, std::string_view name) {
  const std::string key(name);
  return parsed.flags.count(key) > 0 || parsed.values.count(key) > 0;
}

}  // namespace

ParsedOptions parse_options(const std::vector<std::string>& args, const CommandSpec& command) {
  ParsedOptions parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--help" || word == "-h") {
      parsed.help = true;
      continue;
    }
    if (const OptionSpec* flag = option_named(command, word); flag != nullptr && flag->value.empty()) {
      if (!parsed.flags.insert(word).second) {
        parsed.error = fill(tr("option {1} given twice"), {word});
        return parsed;
      }
      continue;
    }
    std::string name = word;
    std::string value;
    bool has_value = false;
    if (auto eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = word.substr(0, eq);
      value = word.substr(eq + 1);
      has_value = true;
    }
    if (const OptionSpec* option = option_named(command, name); option == nullptr || option->value.empty()) {
      parsed.error = fill(tr("unknown option \"{1}\""), {word});
      return parsed;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) {
        parsed.error = fill(tr("option {1} needs a value"), {name});
        return parsed;
      }
      value = args[++i];
    }
    if (!parsed.values.emplace(name, value).second) {
      parsed.error = fill(tr("option {1} given twice"), {name});
      return parsed;
    }
  }
  for (const OptionSpec& a : command.options)
    for (const OptionSpec& b : command.options)
      if (a.group != 0 && a.group == b.group && &a < &b && given(parsed, a.name) && given(parsed, b.name)) {
        parsed.error = fill(tr("{1} and {2} do not go together"), {a.name, b.name});
        return parsed;
      }
  return parsed;
}

bool server_option(const ParsedOptions& options, std::string& host, std::uint16_t& port) {
  host = build::kFtpHost;
  port = build::kFtpPort;
  const auto server = options.values.find("--server");
  if (server == options.values.end()) return true;
  const std::string& text = server->second;
  const std::size_t colon = text.rfind(':');
  host = text.substr(0, colon);
  if (host.empty()) return false;
  if (colon == std::string::npos) return true;
  const auto value = whole_number(std::string_view(text).substr(colon + 1), 65535);
  if (!value || *value == 0) return false;
  port = static_cast<std::uint16_t>(*value);
  return true;
}

std::optional<unsigned long> whole_number(std::string_view text, unsigned long max) {
  unsigned long value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
  return value;
}

}  // namespace quillon::cli

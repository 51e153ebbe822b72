#include "app/settings.h"
#include "commands.h"
#include "console.h"
#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "platform/terminal.h"

namespace quillon::cli {
namespace {

constexpr const char* kUsage =
    "usage: quillon-cli check [--settings FILE] [--csv FILE] [--json]\n"
    "  --settings FILE  the settings file (default: qsodata.qsl in the settings folder)\n"
    "  --csv FILE       the exported log (default: the input file of the settings)\n"
    "  --json           the problems as one JSON object on stdout\n";

std::string describe(const LogProblem& p) {
  std::string out = "record " + std::to_string(p.record) + " (line " + std::to_string(p.line) + ")";
  if (p.field != 0) out += ", field " + std::to_string(p.field) + " \"" + for_terminal(p.value) + "\"";
  return out + ": " + p.why + "\n";
}

}  // namespace

// Every problem of the log at once; nothing written when there is none.
int check(const std::vector<std::string>& args) {
  const ParsedOptions options = parse_options(args, {"--settings", "--csv"}, {"--json"});
  if (options.error) return usage_error("check", *options.error, kUsage);
  if (options.help) return print_usage(kUsage);
  const bool json = options.flags.count("--json") > 0;
  std::string csv_path;
  std::vector<LogProblem> problems;
  const char* stage = "settings";  // what failed, as an upload's history names it
  try {
    const auto csv = options.values.find("--csv");
    if (csv == options.values.end())
      csv_path = read_settings(option_or(options, "--settings", default_settings_path())).csv_path;
    stage = "log";
    if (csv != options.values.end()) csv_path = cp932::from_utf8(csv->second, "--csv");
    problems = check_log(csv_path);
  } catch (const Error& e) {
    platform::write_text(platform::Stream::Err, "quillon-cli check: " + e.utf8() + "\n");
    if (json) print_json({{"outcome", stage}, {"csv", for_terminal(csv_path)}, {"error", e.utf8()}});
    return kExitFailed;
  }
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const LogProblem& p : problems)
      list.push_back({{"record", p.record}, {"line", p.line}, {"field", p.field},
                      {"value", for_terminal(p.value)}, {"why", p.why}});
    print_json({{"outcome", problems.empty() ? "ok" : "log"}, {"csv", for_terminal(csv_path)}, {"problems", list}});
  } else {
    std::string text;
    for (const LogProblem& p : problems) text += describe(p);
    platform::write_text(platform::Stream::Out, text);
  }
  return problems.empty() ? kExitOk : kExitFailed;
}

}  // namespace quillon::cli

#include <optional>

#include "app/history.h"
#include "app/settings.h"
#include "commands.h"
#include "console.h"
#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "platform/terminal.h"
#include "text.h"

namespace quillon::cli {
namespace {

std::string describe(const LogProblem& p) {
  const std::string record = std::to_string(p.record), line = std::to_string(p.line), why = tr(p.why.c_str());
  if (p.field == 0) return fill(tr("record {1} (line {2}): {3}"), {record, line, why}) + "\n";
  return fill(tr("record {1} (line {2}), field {3} \"{4}\": {5}"),
              {record, line, std::to_string(p.field), for_terminal(p.value), why}) +
         "\n";
}

void say(const std::string& line) { platform::write_text(platform::Stream::Err, "quillon-cli check: " + line + "\n"); }

// The contacts of a log that would convert which went up to host:port already.
void list_sent(const std::string& csv_path, const Settings& settings, const std::string& host, std::uint16_t port,
               std::string& text, nlohmann::ordered_json& list) {
  std::vector<DocumentContact> all;
  SentContacts found = sent_from_log(csv_path, settings.callsign, host, port, all);
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (found.run_of[i] == 0) continue;
    const DocumentContact& c = all[i];
    const HistoryEntry& run = found.runs[found.run_of[i]];
    text += fill(tr("record {1} (line {2}): {3} {4} went up at {5} as {6}"),
                 {std::to_string(c.record), std::to_string(c.line), for_terminal(c.callsign), for_terminal(c.daytime),
                  run.started, run.remote_name}) +
            "\n";
    list.push_back({{"record", c.record},
                    {"line", c.line},
                    {"callsign", for_terminal(c.callsign)},
                    {"daytime", for_terminal(c.daytime)},
                    {"frequency", for_terminal(c.frequency)},
                    {"mode", for_terminal(c.mode)},
                    {"started", run.started},
                    {"remote_name", run.remote_name}});
  }
}

}  // namespace

// Every problem of the log at once; nothing written when there is none.
int check(const std::vector<std::string>& args) {
  const CommandSpec& command = command_spec("check");
  const ParsedOptions options = parse_options(args, command);
  if (options.error) return usage_error(command, *options.error);
  if (options.help) return print_usage(command);
  std::string host;
  std::uint16_t port = 0;
  if (!server_option(options, host, port)) return usage_error(command, tr("--server takes HOST or HOST:PORT"));
  const bool json = options.flags.count("--json") > 0;
  std::string csv_path;
  std::vector<LogProblem> problems;
  std::optional<Settings> settings;
  std::string no_settings;         // why, when a log given by --csv goes without them
  const char* stage = "settings";  // what failed, as an upload's history names it
  try {
    const auto csv = options.values.find("--csv");
    try {
      settings = read_settings(option_or(options, "--settings", default_settings_path()));
      csv_path = settings->csv_path;
    } catch (const Error& e) {
      if (csv == options.values.end()) throw;
      no_settings = e.utf8();
    }
    stage = "log";
    if (csv != options.values.end()) csv_path = cp932::from_utf8(csv->second, "--csv");
    problems = check_log(csv_path);
  } catch (const Error& e) {
    platform::write_text(platform::Stream::Err, "quillon-cli check: " + e.utf8() + "\n");
    if (json) print_json({{"outcome", stage}, {"csv", for_terminal(csv_path)}, {"error", e.utf8()}});
    return kExitFailed;
  }
  std::string sent_text;
  nlohmann::ordered_json sent = nlohmann::ordered_json::array();
  if (problems.empty() && !settings) {
    say(fill(tr("contacts sent not listed: {1}"), {no_settings}));
  } else if (problems.empty()) {
    try {
      list_sent(csv_path, *settings, host, port, sent_text, sent);
    } catch (const Error& e) {
      say(fill(tr("contacts sent not listed: {1}"), {e.utf8()}));
    }
  }
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const LogProblem& p : problems)
      list.push_back({{"record", p.record},
                      {"line", p.line},
                      {"field", p.field},
                      {"value", for_terminal(p.value)},
                      {"why", p.why}});
    print_json({{"outcome", problems.empty() ? "ok" : "log"},
                {"csv", for_terminal(csv_path)},
                {"problems", list},
                {"sent", sent}});
  } else {
    std::string text = sent_text;
    for (const LogProblem& p : problems) text += describe(p);
    platform::write_text(platform::Stream::Out, text);
  }
  return problems.empty() ? kExitOk : kExitFailed;
}

}  // namespace quillon::cli

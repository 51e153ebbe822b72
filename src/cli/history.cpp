#include <cstdio>
#include <limits>

#include "app/history.h"
#include "commands.h"
#include "console.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "text.h"

namespace quillon::cli {
namespace {

std::string row(const std::string& started, const std::string& outcome, const std::string& records,
                const std::string& bytes, const std::string& server, const std::string& mode,
                const std::string& remote) {
  return pad(started, 25) + "  " + pad(outcome, 11) + "  " + pad_left(records, 7) + "  " + pad_left(bytes, 9) + "  " +
         pad(server, 21) + "  " + pad(mode, 8) + "  " + remote + "\n";
}

std::string server(const HistoryEntry& e) { return e.host + ":" + std::to_string(e.port); }

// What `ask` reads of the history; false, said on stderr, when it cannot be read.
template <class Ask>
bool read_history(Ask ask) {
  try {
    History history(history_path(), History::Mode::Read);
    ask(history);
    return true;
  } catch (const Error& e) {
    platform::write_text(platform::Stream::Err, "quillon-cli history: " + e.utf8() + "\n");
    return false;
  }
}

int contacts(const std::string& call, bool json) {
  std::vector<ContactInRun> found;
  if (!read_history([&](History& h) { found = h.contacts_with(call); })) return kExitFailed;
  std::string text;
  for (const auto& [c, run] : found) {
    if (json) {
      print_json({{"callsign", c.callsign},
                  {"daytime", c.daytime},
                  {"frequency", c.frequency},
                  {"mode", c.mode},
                  {"remarks", c.remarks},
                  {"record", c.record},
                  {"line", c.line},
                  {"run", to_json(run)}});
      continue;
    }
    char buf[160];
    std::snprintf(buf, sizeof buf, "%-23s  %-13s  %9s  %-6s  %-25s  %-11s  %-21s  ", c.daytime.c_str(),
                  c.callsign.c_str(), c.frequency.c_str(), c.mode.c_str(), run.started.c_str(), run.outcome.c_str(),
                  server(run).c_str());
    text += buf + run.remote_name + (c.remarks.empty() ? "" : "  " + c.remarks) + "\n";
  }
  platform::write_text(platform::Stream::Out, text);
  return kExitOk;
}

}  // namespace

// Oldest first.
int history(const std::vector<std::string>& args) {
  const CommandSpec& command = command_spec("history");
  const ParsedOptions options = parse_options(args, command);
  if (options.error) return usage_error(command, *options.error);
  if (options.help) return print_usage(command);
  const bool json = options.flags.count("--json") > 0;
  const auto last = options.values.find("--last");
  const auto call = options.values.find("--contacts");
  if (call != options.values.end()) return contacts(call->second, json);
  std::optional<std::size_t> n;
  if (last != options.values.end()) {
    const auto value = whole_number(last->second, std::numeric_limits<unsigned long>::max());
    if (!value) return usage_error(command, tr("--last takes a number"));
    n = *value;
  }
  std::vector<HistoryEntry> entries;
  if (!read_history([&](History& h) { entries = h.runs(n, run_under_way(platform::settings_folder())); }))
    return kExitFailed;
  if (json) {
    for (const HistoryEntry& e : entries) print_json(to_json(e));
    return kExitOk;
  }
  std::string table =
      row(tr("time"), tr("outcome"), tr("records"), tr("bytes"), tr("server"), tr("mode"), tr("remote name"));
  bool interrupted = false, fell_back = false;
  for (const HistoryEntry& e : entries) {
    table += row(e.started, e.outcome, std::to_string(e.records), std::to_string(e.bytes), server(e),
                 e.mode + (e.fell_back ? "+" : ""), e.remote_name);
    interrupted = interrupted || e.outcome == kInterrupted;
    fell_back = fell_back || e.fell_back;
  }
  if (fell_back) table += tr("+: the other mode failed first, so this run tried this one on its own") + "\n";
  if (interrupted)
    table += tr("interrupted: the run never ended (killed, or the power failed); the server may hold a partial file "
                "under its remote name") +
             "\n";
  platform::write_text(platform::Stream::Out, table);
  return kExitOk;
}

}  // namespace quillon::cli

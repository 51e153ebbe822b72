#include "command_table.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "text.h"

namespace quillon::cli {
namespace {

constexpr std::size_t kWidth = 90;

constexpr std::string_view kSettingsHelp = N_("the settings file (default: qsodata.qsl in the settings folder)");
constexpr std::string_view kCsvHelp = N_("the exported log (default: the input file of the settings)");
constexpr std::string_view kJsonHelp = N_("the result as one JSON object on stdout");

// Joined by spaces, a new line (indented) wherever the next unit would pass the width.
std::string wrap(const std::vector<std::string>& units, std::string first, std::size_t indent) {
  std::string out = std::move(first);
  std::size_t line = columns(out);
  bool fresh = out.empty();
  for (const std::string& unit : units) {
    if (!fresh && line + 1 + unit.size() > kWidth) {
      out.append(1, '\n').append(indent, ' ');
      line = indent;
      fresh = true;
    }
    if (!fresh) {
      out += ' ';
      ++line;
    }
    out += unit;
    line += columns(unit);
    fresh = false;
  }
  return out + "\n";
}

std::string with_value(const OptionSpec& o) {
  return o.value.empty() ? std::string(o.name) : std::string(o.name) + " " + std::string(o.value);
}

}  // namespace

const std::vector<CommandSpec>& command_table() {
  static const std::vector<CommandSpec> table = {
      {"convert",
       N_("turns the exported log into the upload document"),
       N_("Reads the settings, the log and writes the upload document, leaving the previous document untouched when "
          "anything fails. It prints one line saying how many records went to which file; a failure prints one line "
          "naming the file and, where it applies, the record, the line of the file where that record starts, the field "
          "and the value."),
       {{"--settings", "FILE", ValueKind::File, kSettingsHelp},
        {"--csv", "FILE", ValueKind::File, kCsvHelp},
        {"--out", "FILE", ValueKind::File, N_("the upload document (default: the output file of the settings)")},
        {"--json", "", ValueKind::None, kJsonHelp}}},
      {"upload",
       N_("converts and sends the document, as the window's upload button does"),
       N_("Converts the log as convert does and stores the document on the server under /log/, named by the callsign "
          "and the time. Contacts of the log that went up to the same server already stop it (exit 6) unless "
          "--only-new or --force says what to send. One upload runs at a time per settings folder: a second one waits "
          "up to 300 s for the first. Every run is kept in the history."),
       {{"--settings", "FILE", ValueKind::File, kSettingsHelp},
        {"--server", "HOST[:PORT]", ValueKind::Other, N_("upload there instead of the built-in host")},
        {"--active", "", ValueKind::None,
         N_("active mode only (default: active, then passive on its own when the\n"
            "server cannot connect back; passive first where that was needed)"),
         1},
        {"--passive", "", ValueKind::None, N_("passive mode only"), 1},
        {"--retry", "N", ValueKind::Other,
         N_("try again up to N times (after 1 s, 2 s, 4 s ...) when the\n"
            "connection failed or the server was busy")},
        {"--force", "", ValueKind::None, N_("send every contact, even those that went up already"), 2},
        {"--only-new", "", ValueKind::None, N_("send only the contacts that have not gone up to this server"), 2},
        {"--json", "", ValueKind::None, kJsonHelp}}},
      {"check",
       N_("lists every problem of the log at once"),
       N_("Reads the log as convert does and lists every problem it finds, not only the first, and the contacts of "
          "the log that went up to the server already. It writes nothing."),
       {{"--settings", "FILE", ValueKind::File, kSettingsHelp},
        {"--csv", "FILE", ValueKind::File, kCsvHelp},
        {"--server", "HOST[:PORT]", ValueKind::Other,
         N_("list the contacts that went up there (default: the built-in host)")},
        {"--json", "", ValueKind::None, N_("the problems and the contacts sent as one JSON object on stdout")}}},
      {"history",
       N_("what was sent, and when"),
       N_("Lists the upload runs of the history, oldest first: when, how it ended, the records and bytes, the server, "
          "the transfer mode and the remote name. A run that never ended reads as interrupted, or as under way while "
          "its upload still runs."),
       {{"--last", "N", ValueKind::Other, N_("only the latest N uploads"), 1},
        {"--contacts", "CALL", ValueKind::Other, N_("every contact with that station that went up, and its upload"), 1},
        {"--json", "", ValueKind::None, N_("one JSON object a line")}}},
  };
  return table;
}

const CommandSpec& command_spec(std::string_view name) {
  for (const CommandSpec& c : command_table())
    if (c.name == name) return c;
  throw std::logic_error("no command " + std::string(name));
}

const std::vector<ExitSpec>& exit_table() {
  static const std::vector<ExitSpec> table = {
      {kExitOk, N_("done")},
      {kExitFailed, N_("the settings or the log refused, nothing sent")},
      {kExitUsage, N_("bad usage")},
      {kExitNoConnection, N_("no connection or login refused")},
      {kExitNotStored, N_("the server refused the file or the transfer broke")},
      {kExitNotClosed, N_("stored, but closing the connection failed")},
      {kExitAlreadySent, N_("already sent")},
      {kExitBusy, N_("another upload still under way")},
  };
  return table;
}

const std::vector<FileSpec>& file_table() {
  static const std::vector<FileSpec> table = {
      {"$XDG_CONFIG_HOME/quillon/qsodata.qsl",
       N_("The settings: 13 Shift-JIS lines ending in CR LF, readable by their owner only, since they hold the server "
          "password. Without XDG_CONFIG_HOME the folder is ~/.config/quillon.")},
      {"$XDG_CONFIG_HOME/quillon/qsoupdata.xml", N_("The upload document, unless the settings name another file.")},
      {"$XDG_CONFIG_HOME/quillon/uploads.sqlite",
       N_("The history of every upload run and the contacts it sent (SQLite, owner-only).")},
      {"$XDG_CONFIG_HOME/quillon/uploads.lock", N_("Held by the upload that runs, so that two never overlap.")},
      {"$XDG_CONFIG_HOME/quillon/quillon.lock", N_("Held by the window, so that it runs once per settings folder.")},
  };
  return table;
}

std::vector<std::string> synopsis_units(const CommandSpec& command,
                                        const std::function<std::string(const OptionSpec&)>& show) {
  std::vector<std::string> units;
  std::vector<int> done;
  for (const OptionSpec& o : command.options) {
    if (o.group == 0) {
      units.push_back(std::string(1, '[').append(show(o)).append(1, ']'));
      continue;
    }
    if (std::find(done.begin(), done.end(), o.group) != done.end()) continue;
    done.push_back(o.group);
    std::string unit;
    for (const OptionSpec& other : command.options)
      if (other.group == o.group) unit += (unit.empty() ? "[" : " | ") + show(other);
    units.push_back(unit + "]");
  }
  return units;
}

std::string synopsis(const CommandSpec& command, std::string_view lead) {
  std::string first = std::string(lead) + "quillon-cli " + std::string(command.name);
  const std::size_t indent = columns(first) + 1;
  return wrap(synopsis_units(command, with_value), first, indent);
}

std::string command_usage(const CommandSpec& command) {
  std::string out = synopsis(command, tr("usage: "));
  std::size_t column = 0;
  for (const OptionSpec& o : command.options) column = std::max(column, with_value(o).size());
  column += 4;
  for (const OptionSpec& o : command.options) {
    std::string line = "  " + with_value(o);
    const std::string text = tr(o.help);
    std::string_view help = text;
    for (std::size_t end = 0; !help.empty(); help.remove_prefix(std::min(help.size(), end + 1))) {
      end = std::min(help.find('\n'), help.size());
      line.resize(column, ' ');
      out += line + std::string(help.substr(0, end)) + "\n";
      line.clear();
    }
  }
  return out;
}

std::string top_usage() {
  std::string out;
  std::size_t name_width = 0;
  const std::string lead = tr("usage: "), under = pad("", columns(lead));
  for (const CommandSpec& c : command_table()) {
    out += synopsis(c, out.empty() ? lead : under);
    name_width = std::max(name_width, c.name.size());
  }
  out += under + "quillon-cli --help | --version\n\n";
  for (const CommandSpec& c : command_table()) {
    std::string name(c.name);
    name.resize(name_width + 2, ' ');
    out += name + tr(c.summary) + "\n";
  }
  return out;
}

std::string exit_codes_text() {
  std::vector<std::string> units;
  for (const ExitSpec& e : exit_table()) units.push_back(std::to_string(e.code) + " " + tr(e.meaning) + ";");
  units.back().pop_back();
  return wrap(units, tr("exit codes:"), 2);
}

}  // namespace quillon::cli

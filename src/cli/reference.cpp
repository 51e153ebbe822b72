#include "reference.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "build_config.h"
#include "command_table.h"
#include "text.h"

namespace quillon::cli {
namespace {

// Where a line may break after a wide character: anywhere but before the
// punctuation that closes a phrase (groff breaks only at spaces, and Japanese
// has none).
bool may_break_before(std::string_view rest) {
  for (std::string_view closing : {"、", "。", "）", "」", "』", "：", ")", ":", ",", "."})
    if (rest.substr(0, closing.size()) == closing) return false;
  return !rest.empty();
}

// Roff text with a break point (\\:) after each wide character.
std::string breakable(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t next = i + 1;
    while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xc0) == 0x80) ++next;
    const std::string_view character = text.substr(i, next - i);
    out += character;
    if (columns(character) == 2 && may_break_before(text.substr(next))) out += "\\:";
    i = next;
  }
  return out;
}

// Text as roff reads it: a backslash printed, a hyphen a minus (options are
// typed with one), a line that would start a request kept as text.
std::string roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\e";
    else if (c == '-') out += "\\-";
    else if (c == '\n') out += ' ';
    else out += c;
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return breakable(out);
}

std::string roff_option(const OptionSpec& o) {
  std::string out = "\\fB" + roff(o.name) + "\\fR";
  if (!o.value.empty()) out += " \\fI" + roff(o.value) + "\\fR";
  return out;
}

// Left-aligned: a Japanese line has no spaces to stretch.
std::string header(std::string_view name, std::string_view version, std::string_view what) {
  std::string upper;
  for (char c : name) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return ".TH " + roff(upper) + " 1 \"\" \"quillon " + std::string(version) + "\" \"" + tr("User Commands") +
         "\"\n.ad l\n.SH " + tr("NAME") + "\n" + roff(name) + " \\- " + roff(what) + "\n";
}

std::string files_and_environment() {
  std::string out = ".SH " + tr("FILES") + "\n";
  for (const FileSpec& f : file_table()) out += ".TP\n.I " + roff(f.name) + "\n" + roff(tr(f.about)) + "\n";
  out += ".TP\n.I /usr/" + roff(QUILLON_MODULE_LIBDIR) + "/\n" +
         roff(tr("The modules for the internet and the history, loaded only when needed.")) + "\n";
  out += ".SH " + tr("ENVIRONMENT") + "\n.TP\n.B XDG_CONFIG_HOME\n" +
         breakable(tr("The folder that holds the settings folder \\fIquillon\\fR (default: \\fI~/.config\\fR).")) +
         "\n";
  return out;
}

const std::vector<std::pair<std::string_view, std::string_view>>& examples() {
  static const std::vector<std::pair<std::string_view, std::string_view>> table = {
      {N_("Every problem of a log, before sending it:"), "quillon-cli check --csv export.csv"},
      {N_("Send only the contacts that have not gone up yet:"), "quillon-cli upload --only-new"},
      {N_("Try a test server, again up to three times when it is busy:"),
       "quillon-cli upload --server 127.0.0.1:2121 --retry 3"},
      {N_("The last five uploads, and every contact sent to one station:"),
       "quillon-cli history --last 5\nquillon-cli history --contacts W1AW"},
  };
  return table;
}

std::string example_lines(std::string_view commands) {
  std::string out;
  while (!commands.empty()) {
    const std::size_t end = std::min(commands.find('\n'), commands.size());
    out += roff(commands.substr(0, end)) + "\n";
    commands.remove_prefix(std::min(commands.size(), end + 1));
  }
  return out;
}

}  // namespace

std::string manual_page_cli(std::string_view version) {
  std::string out =
      header("quillon-cli", version, tr("converts a Tarnis contact log and sends it to the Varnel QSL service"));
  out += ".SH " + tr("SYNOPSIS") + "\n";
  for (const CommandSpec& c : command_table()) {
    out += ".PP\n\\fBquillon\\-cli " + roff(c.name) + "\\fR";
    for (const std::string& unit : synopsis_units(c, roff_option)) out += " " + unit;
    out += "\n";
  }
  out += ".PP\n\\fBquillon\\-cli\\fR \\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR\n";
  out += ".SH " + tr("DESCRIPTION") + "\n" +
         breakable(tr(
             "\\fBquillon\\-cli\\fR does without a window what \\fBquillon\\fR(1) does: it turns the contact log "
             "that Tarnis exports as CSV into the Varnel upload document and sends it by FTP, and it checks a log and "
             "shows what was sent. Each command's \\fB\\-\\-help\\fR lists its options.")) +
         "\n.PP\n" +
         breakable(
             fill(tr("The built-in host is \\fB{1}\\fR, port {2}; the document lands under \\fI/log/\\fR, named by the "
                     "callsign and the time of the upload."),
                  {roff(quillon::build::kFtpHost), std::to_string(quillon::build::kFtpPort)})) +
         "\n";
  out += ".SH " + tr("COMMANDS") + "\n";
  for (const CommandSpec& c : command_table()) {
    out += ".SS " + roff(c.name) + "\n" + roff(tr(c.about)) + "\n";
    for (const OptionSpec& o : c.options) out += ".TP\n" + roff_option(o) + "\n" + roff(tr(o.help)) + "\n";
  }
  out += ".SH " + tr("EXIT STATUS") + "\n";
  for (const ExitSpec& e : exit_table()) out += ".TP\n.B " + std::to_string(e.code) + "\n" + roff(tr(e.meaning)) + "\n";
  out += files_and_environment();
  out += ".SH " + tr("EXAMPLES") + "\n";
  for (const auto& [what, commands] : examples())
    out += ".PP\n" + roff(tr(what)) + "\n.PP\n.RS\n.nf\n" + example_lines(commands) + ".fi\n.RE\n";
  out += ".SH " + tr("SEE ALSO") + "\n\\fBquillon\\fR(1)\n";
  return out;
}

std::string manual_page_window(std::string_view version) {
  std::string out = header("quillon", version, tr("sends a Tarnis contact log to the Varnel QSL service"));
  out += ".SH " + tr("SYNOPSIS") + "\n\\fBquillon\\fR\n";
  out += ".SH " + tr("DESCRIPTION") + "\n" +
         breakable(tr(
             "\\fBquillon\\fR is a window with a status line, a progress bar and three buttons. "
             "\\fBアップロード開始\\fR converts the log that Tarnis exported and sends the upload document to the "
             "service by FTP; \\fB設定\\fR opens the settings dialog (the log, the document, the callsign, the server "
             "password, the addresses and the card's design); \\fB終了\\fR ends the program.")) +
         "\n.PP\n" +
         breakable(
             tr("When the history holds contacts of the log that went up to the server already, the window asks first "
                "whether to send only the new ones, all of them, or none. One upload runs at a time, the window's and "
                "\\fBquillon\\-cli\\fR(1)'s alike, and one window per settings folder. Every upload is kept in the "
                "history, which \\fBquillon\\-cli history\\fR shows.")) +
         "\n";
  out += files_and_environment();
  out += ".SH " + tr("SEE ALSO") + "\n\\fBquillon\\-cli\\fR(1)\n";
  return out;
}

std::string bash_completion() {
  std::string out =
      "# bash completion for quillon-cli\n"
      "_quillon_cli_files()\n{\n"
      "    compopt -o filenames 2>/dev/null\n"
      "    mapfile -t COMPREPLY < <(compgen -f -- \"$1\")\n}\n\n"
      "_quillon_cli()\n{\n"
      "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} words\n"
      "    COMPREPLY=()\n"
      "    if ((COMP_CWORD == 1)); then\n"
      "        words=\"";
  for (const CommandSpec& c : command_table()) out += std::string(c.name) + " ";
  out +=
      "--help --version\"\n"
      "    else\n"
      "        case ${COMP_WORDS[1]} in\n";
  for (const CommandSpec& c : command_table()) {
    std::string words, files, others;
    for (const OptionSpec& o : c.options) {
      words += std::string(o.name) + " ";
      std::string& list = o.kind == ValueKind::File ? files : others;
      if (o.kind != ValueKind::None) list += (list.empty() ? "" : "|") + std::string(o.name);
    }
    out += "            " + std::string(c.name) + ")\n                case $prev in\n";
    if (!files.empty()) out += "                    " + files + ") _quillon_cli_files \"$cur\"; return ;;\n";
    if (!others.empty()) out += "                    " + others + ") return ;;\n";
    out += "                esac\n                words=\"" + words + "--help\" ;;\n";
  }
  out +=
      "            *) return ;;\n"
      "        esac\n"
      "    fi\n"
      "    mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$cur\")\n"
      "}\n"
      "complete -F _quillon_cli quillon-cli\n";
  return out;
}

}  // namespace quillon::cli

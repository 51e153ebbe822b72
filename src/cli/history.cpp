#include <charconv>
#include <cstdio>

#include "app/history.h"
#include "commands.h"
#include "console.h"
#include "platform/terminal.h"

namespace quillon::cli {
namespace {

constexpr const char* kUsage =
    "usage: quillon-cli history [--last N] [--json]\n"
    "  --last N  only the latest N uploads\n"
    "  --json    the history's lines as they are kept\n";

std::string row(const std::string& started, const std::string& outcome, const std::string& records,
                const std::string& bytes, const std::string& remote) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%-25s  %-8s  %7s  %9s  ", started.c_str(), outcome.c_str(), records.c_str(),
                bytes.c_str());
  return buf + remote + "\n";
}

}  // namespace

// Newest last, as the file keeps them.
int history(const std::vector<std::string>& args) {
  const ParsedOptions options = parse_options(args, {"--last"}, {"--json"});
  if (options.error) return usage_error("history", *options.error, kUsage);
  if (options.help) return print_usage(kUsage);
  std::vector<HistoryEntry> entries = read_history(history_path());
  if (auto last = options.values.find("--last"); last != options.values.end()) {
    std::size_t n = 0;
    const std::string& text = last->second;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size())
      return usage_error("history", "--last takes a number", kUsage);
    if (n < entries.size()) entries.erase(entries.begin(), entries.end() - static_cast<std::ptrdiff_t>(n));
  }
  if (options.flags.count("--json")) {
    for (const HistoryEntry& e : entries) print_json(to_json(e));
    return kExitOk;
  }
  std::string table = row("time", "outcome", "records", "bytes", "remote name");
  for (const HistoryEntry& e : entries)
    table += row(e.started, e.outcome, std::to_string(e.records), std::to_string(e.bytes), e.remote_name);
  platform::write_text(platform::Stream::Out, table);
  return kExitOk;
}

}  // namespace quillon::cli

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <set>

#include "app/app_state.h"
#include "app/recorded_run.h"
#include "build_config.h"
#include "commands.h"
#include "console.h"
#include "conversion/conversion.h"
#include "platform/clock.h"
#include "platform/inet.h"
#include "platform/terminal.h"
#include "widgets/caption_surface.h"

namespace quillon::cli {
namespace {

constexpr const char* kUsage =
    "usage: quillon-cli upload [--settings FILE] [--server HOST[:PORT]] [--passive] [--retry N]\n"
    "                          [--force | --only-new] [--json]\n"
    "  --settings FILE     the settings file (default: qsodata.qsl in the settings folder)\n"
    "  --server HOST:PORT  upload there instead of the built-in host\n"
    "  --passive           passive mode, for networks that block the server's connection back\n"
    "  --retry N           try again up to N times (after 1 s, 2 s, 4 s ...) when the\n"
    "                      connection failed or the server was busy\n"
    "  --force             send every contact, even those that went up already\n"
    "  --only-new          send only the contacts that have not gone up to this server\n"
    "  --json              the result as one JSON object on stdout\n";

constexpr int kMaxRetries = 10;

// The main window on a terminal: status texts on stdout (stderr when stdout
// carries JSON), message boxes on stderr.
class ConsoleView final : public RunView {
 public:
  explicit ConsoleView(bool json) : status_stream_(json ? platform::Stream::Err : platform::Stream::Out) {}
  void set_status(std::string_view text) override {
    status_ = text;
    end_progress_line();
    platform::write_text(status_stream_, for_terminal(text) + "\n");
  }
  std::string status() const override { return status_; }
  void set_enabled(Button, bool) override {}
  void set_picture_visible(bool) override {}
  void set_cursor(Cursor) override {}
  void repaint() override {}
  void set_label1_caption(std::string_view) override {}
  std::string label3_caption() const override { return kXmlDeclaration; }
  void message_box(std::string_view text) override {
    end_progress_line();
    platform::write_text(platform::Stream::Err, for_terminal(text) + "\n");
  }
  void beep() override {}

  // The bar's caption ("37%") as one rewritten line, on a terminal only.
  void show_progress(const std::string& caption) {
    if (!tty_) return;
    platform::write_text(platform::Stream::Out, "\r" + caption);
    progress_shown_ = true;
  }

 private:
  void end_progress_line() {
    if (!progress_shown_) return;
    platform::write_text(platform::Stream::Out, "\n");
    progress_shown_ = false;
  }

  platform::Stream status_stream_;
  std::string status_;
  bool tty_ = platform::stdout_is_terminal();
  bool progress_shown_ = false;
};

int exit_code(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Uploaded: return kExitOk;
    case RunOutcome::NoLog:
    case RunOutcome::LogRefused:
    case RunOutcome::NotWritten: return kExitFailed;
    case RunOutcome::NotConnected:
    case RunOutcome::NotClosed: return kExitNoConnection;
    case RunOutcome::NotStored: return kExitNotStored;
    case RunOutcome::StoredNotClosed: return kExitNotClosed;
  }
  return kExitFailed;
}

// Worth another try: no connection, a timeout, a dropped line, or a server
// that says "not now" (4xx). Never a refused login or another 5xx.
bool transient(const HistoryEntry& e) {
  if (e.outcome != "connect" && e.outcome != "store") return false;
  const std::string code = e.reply.substr(0, 3);
  for (const char* busy : {"421", "425", "426", "450", "451", "452"})
    if (code == busy) return true;
  if (code.size() == 3 && code[0] == '5') return false;
  namespace ie = platform::inet_error;
  return e.error == ie::kTimeout || e.error == ie::kCannotConnect || e.error == ie::kConnectionAborted ||
         e.error == ie::kConnectionReset;
}

void say(const std::string& line) { platform::write_text(platform::Stream::Err, "quillon-cli upload: " + line + "\n"); }

std::string key(const DocumentContact& c) {
  return c.callsign + '\x1f' + c.daytime + '\x1f' + c.frequency + '\x1f' + c.mode;
}

// Refuses contacts that went up to this server already, unless --only-new
// leaves them out (then `sent` names them). An exit code when the upload ends here.
std::optional<int> refuse_sent(const Settings& settings, const std::string& host, std::uint16_t port, bool only_new,
                               bool json, std::set<std::string>& sent) {
  std::vector<DocumentContact> all;
  SentContacts found;
  try {
    found = sent_from_log(settings.csv_path, settings.callsign, host, port, all);
  } catch (const Error&) {
    return std::nullopt;  // the run itself says what is wrong with the log
  } catch (const HistoryError& e) {
    say(std::string("history not read, nothing refused: ") + e.what());
    return std::nullopt;
  }
  const std::size_t n = found.count();
  if (n == 0) return std::nullopt;
  const std::string where = host + ":" + std::to_string(port);
  say(std::to_string(n) + " of " + counted(all.size(), "contact") + " went up to " + where + " already:");
  nlohmann::ordered_json runs = nlohmann::ordered_json::array();
  for (auto run = found.runs.rbegin(); run != found.runs.rend(); ++run) {
    const auto k = static_cast<std::size_t>(std::count(found.run_of.begin(), found.run_of.end(), run->first));
    say("  " + std::to_string(k) + " at " + run->second.started + " as " + run->second.remote_name);
    runs.push_back({{"started", run->second.started}, {"remote_name", run->second.remote_name}, {"contacts", k}});
  }
  const std::size_t fresh = all.size() - n;
  if (only_new && fresh > 0) {
    say("sending the " + counted(fresh, "contact") + " not sent yet");
    for (std::size_t i = 0; i < all.size(); ++i)
      if (found.run_of[i] != 0) sent.insert(key(all[i]));
    return std::nullopt;
  }
  if (fresh == 0) say(only_new ? "nothing new to send (--force sends them again)" : "--force sends them again");
  else
    say("--only-new sends the " + counted(fresh, "contact") + " not sent yet, --force all " +
        std::to_string(all.size()));
  if (json)
    print_json({{"outcome", "already-sent"},
                {"host", host},
                {"port", port},
                {"contacts", all.size()},
                {"already_sent", n},
                {"runs", runs}});
  return kExitAlreadySent;
}

}  // namespace

int upload(const std::vector<std::string>& args) {
  const ParsedOptions options =
      parse_options(args, {"--settings", "--server", "--retry"}, {"--passive", "--force", "--only-new", "--json"});
  if (options.error) return usage_error("upload", *options.error, kUsage);
  if (options.help) return print_usage(kUsage);
  const bool json = options.flags.count("--json") > 0;
  const bool force = options.flags.count("--force") > 0, only_new = options.flags.count("--only-new") > 0;
  if (force && only_new) return usage_error("upload", "--force and --only-new do not go together", kUsage);
  std::string host;
  std::uint16_t port = 0;
  if (!server_option(options, host, port)) return usage_error("upload", "--server takes HOST or HOST:PORT", kUsage);
  int retries = 0;
  if (auto retry = options.values.find("--retry"); retry != options.values.end()) {
    const std::string& n = retry->second;
    auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), retries);
    if (ec != std::errc() || end != n.data() + n.size() || retries < 0 || retries > kMaxRetries)
      return usage_error("upload", "--retry takes a number from 0 to " + std::to_string(kMaxRetries), kUsage);
  }

  const std::unique_ptr<platform::Internet> inet = platform::make_internet();
  platform::SystemClock clock;
  const RunServices services{*inet, clock, host, port, options.flags.count("--passive") > 0};
  const std::string history_file = history_path();
  // Every run leaves its line; a history that cannot be written is said, never fatal.
  auto finish = [&](const HistoryEntry& entry, int code) {
    if (const std::string why = record(history_file, entry); !why.empty()) say("history not written: " + why);
    if (json) print_json(to_json(entry));
    return code;
  };

  AppState state;
  state.format_tag = kFormatTag;
  state.remote_ext = kRemoteExt;
  try {
    state.settings = read_settings(option_or(options, "--settings", default_settings_path()));
  } catch (const Error& e) {
    say(e.utf8());
    return finish(unstarted_entry(services, "settings"), kExitFailed);
  }

  std::set<std::string> sent;
  if (!force)
    if (const std::optional<int> code = refuse_sent(state.settings, host, port, only_new, json, sent)) return *code;
  std::function<bool(const DocumentContact&)> keep = nullptr;
  if (!sent.empty()) keep = [&sent](const DocumentContact& c) { return sent.count(key(c)) == 0; };

  ConsoleView view(json);
  CaptionSurface surface([&view](const std::string& caption) { view.show_progress(caption); });
  state.ftp.bar().Target(&surface);
  FtpEnv env = ftp_env(state, view, services);
  ftpinit(env);
  if (!state.ftp.failed_stage.empty()) {
    errchk(env);
    HistoryEntry entry = unstarted_entry(services, "session");
    entry.error = inet->last_error();
    return finish(entry, kExitNoConnection);
  }

  for (int attempt = 0;; ++attempt) {
    const RecordedRun run = run_and_record(state, view, services, history_file, keep);
    if (!run.history_error.empty()) say("history not written: " + run.history_error);
    if (run.entry.outcome == "store" && !services.passive && run.entry.reply.rfind("425", 0) == 0)
      say("the server could not open its data connection to this computer; try --passive");
    if (attempt < retries && transient(run.entry)) {
      const int wait = 1 << attempt;
      say("trying again in " + std::to_string(wait) + " s");
      platform::sleep_seconds(wait);
      continue;
    }
    if (json) print_json(to_json(run.entry));
    return exit_code(run.outcome);
  }
}

}  // namespace quillon::cli

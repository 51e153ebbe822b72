#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "app/app_state.h"
#include "app/upload_run.h"
#include "build_config.h"
#include "commands.h"
#include "console.h"
#include "conversion/conversion.h"
#include "ftp/ftp_texts.h"
#include "platform/clock.h"
#include "platform/inet.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "text.h"

namespace quillon::cli {
namespace {

constexpr int kMaxRetries = 10;
constexpr int kLockWaitS = 300;

void say(const std::string& line) { platform::write_text(platform::Stream::Err, "quillon-cli upload: " + line + "\n"); }

// A run on a terminal: the status texts on stdout (stderr when stdout carries
// JSON), the message boxes and the notes on stderr, the bar's value as a
// rewritten percentage line; what the window would ask is answered by
// --only-new (--force sends all without asking).
class ConsoleView final : public RunObserver {
 public:
  ConsoleView(bool json, bool only_new, std::string host_port)
      : status_stream_(json ? platform::Stream::Err : platform::Stream::Out),
        only_new_(only_new),
        host_port_(std::move(host_port)) {}

  void on(const RunEvent& e) override {
    switch (e.kind) {
      case RunEvent::Kind::Ftp: on_ftp(e.ftp); break;
      case RunEvent::Kind::Status: status(e.text); break;
      case RunEvent::Kind::Message: message(e.text); break;
      case RunEvent::Kind::HistoryNotRead: say(fill(tr("history not read, nothing refused: {1}"), {e.text})); break;
      case RunEvent::Kind::HistorySetAside:
        say(fill(tr("the history was damaged and is begun anew; the old one is kept as {1}"), {e.text}));
        break;
      case RunEvent::Kind::HistoryNotWritten: say(fill(tr("history not written: {1}"), {e.text})); break;
      case RunEvent::Kind::Retrying: say(fill(tr("trying again in {1} s"), {std::to_string(e.seconds)})); break;
      case RunEvent::Kind::PassiveRemembered:
        say(fill(tr("passive mode, as the last upload to {1} needed (--active tries active mode)"), {host_port_}));
        break;
      case RunEvent::Kind::FallingBack:
        say(e.to_passive ? tr("the server could not connect back in active mode; trying passive mode")
                         : tr("the server refused passive mode; trying active mode"));
        break;
      case RunEvent::Kind::Repaint:
      case RunEvent::Kind::Busy:
      case RunEvent::Kind::Idle: break;  // a window's, not a terminal's
    }
  }

  Send decide(const SentReport& r) override {
    say(fill(tr("{1} of {2} went up to {3} already:"), {std::to_string(r.sent), contacts(r.contacts), host_port_}));
    for (const SentReport::Run& run : r.runs)
      say(fill(tr("  {1} at {2} as {3}"), {std::to_string(run.contacts), run.entry.started, run.entry.remote_name}));
    if (only_new_ && r.fresh() > 0) {
      say(fill(tr("sending the {1} not sent yet"), {contacts(r.fresh())}));
      return Send::OnlyNew;
    }
    if (r.fresh() == 0)
      say(only_new_ ? tr("nothing new to send (--force sends them again)") : tr("--force sends them again"));
    else
      say(fill(tr("--only-new sends the {1} not sent yet, --force all {2}"),
               {contacts(r.fresh()), std::to_string(r.contacts)}));
    return Send::Nothing;
  }
  bool wait_for_other() override {
    say(tr("another upload is under way; waiting"));
    return true;
  }

 private:
  static std::string contacts(std::size_t n) { return trn("{n} contact", "{n} contacts", n); }

  // The stages' events as the window's status line and boxes say them.
  void on_ftp(const FtpEvent& e) {
    switch (e.kind) {
      case FtpEvent::Kind::Uploading: status(ftp_text::uploading()); break;
      case FtpEvent::Kind::Progress: progress(e.value); break;
      case FtpEvent::Kind::NotConnected: status(ftp_text::not_connected(e.error)); break;
      case FtpEvent::Kind::NotStored: message(ftp_text::transfer_failed(status_, e.error)); break;
      case FtpEvent::Kind::NotClosed:
        if (e.error == platform::inet_error::kExtendedError) {
          status(status_ + ftp_text::extended_error());
          break;
        }
        status(status_ + e.text);
        message(ftp_text::close_failed(e.error));
        break;
      case FtpEvent::Kind::Stored: status(ftp_text::upload_done()); break;
      case FtpEvent::Kind::SessionFailed: message(ftp_text::session_failed(e.error)); break;
      case FtpEvent::Kind::Report:
        if (const std::string text = ftp_text::report(e.text); !text.empty()) message(text);
        break;
      case FtpEvent::Kind::Wait:
      case FtpEvent::Kind::WaitOver:
      case FtpEvent::Kind::Connected:
      case FtpEvent::Kind::RemoteName: break;
    }
  }
  void status(const std::string& text) {
    status_ = text;
    end_progress_line();
    platform::write_text(status_stream_, for_terminal(text) + "\n");
  }
  void message(const std::string& text) {
    end_progress_line();
    platform::write_text(platform::Stream::Err, for_terminal(text) + "\n");
  }
  // As one rewritten line, on a terminal only.
  void progress(std::int32_t value) {
    if (!tty_) return;
    platform::write_text(platform::Stream::Out, "\r" + std::to_string(value) + "%");
    progress_shown_ = true;
  }
  void end_progress_line() {
    if (!progress_shown_) return;
    platform::write_text(platform::Stream::Out, "\n");
    progress_shown_ = false;
  }

  platform::Stream status_stream_;
  std::string status_;
  bool only_new_;
  std::string host_port_;
  bool tty_ = platform::stdout_is_terminal();
  bool progress_shown_ = false;
};

int exit_code(RunEnd end) {
  switch (end) {
    case RunEnd::Uploaded: return kExitOk;
    case RunEnd::NoSettings:
    case RunEnd::NoLog:
    case RunEnd::LogRefused:
    case RunEnd::NotWritten: return kExitFailed;
    case RunEnd::NoSession:
    case RunEnd::NotConnected:
    case RunEnd::NotClosed: return kExitNoConnection;
    case RunEnd::NotStored: return kExitNotStored;
    case RunEnd::StoredNotClosed: return kExitNotClosed;
    case RunEnd::Declined: return kExitAlreadySent;
    case RunEnd::Busy: break;
  }
  return kExitBusy;
}

nlohmann::ordered_json refusal(const SentReport& r, const std::string& host, std::uint16_t port) {
  nlohmann::ordered_json runs = nlohmann::ordered_json::array();
  for (const SentReport::Run& run : r.runs)
    runs.push_back(
        {{"started", run.entry.started}, {"remote_name", run.entry.remote_name}, {"contacts", run.contacts}});
  return {{"outcome", stage_name(RunEnd::Declined)},
          {"host", host},
          {"port", port},
          {"contacts", r.contacts},
          {"already_sent", r.sent},
          {"runs", runs}};
}

}  // namespace

int upload(const std::vector<std::string>& args) {
  const CommandSpec& command = command_spec("upload");
  const ParsedOptions options = parse_options(args, command);
  if (options.error) return usage_error(command, *options.error);
  if (options.help) return print_usage(command);
  const bool json = options.flags.count("--json") > 0;
  const bool force = options.flags.count("--force") > 0, only_new = options.flags.count("--only-new") > 0;
  const bool active = options.flags.count("--active") > 0, passive = options.flags.count("--passive") > 0;
  std::string host;
  std::uint16_t port = 0;
  if (!server_option(options, host, port)) return usage_error(command, tr("--server takes HOST or HOST:PORT"));
  int retries = 0;
  if (auto retry = options.values.find("--retry"); retry != options.values.end()) {
    const auto n = whole_number(retry->second, kMaxRetries);
    if (!n)
      return usage_error(command, fill(tr("--retry takes a number from 0 to {1}"), {std::to_string(kMaxRetries)}));
    retries = static_cast<int>(*n);
  }

  const std::unique_ptr<platform::Internet> inet = platform::make_internet();
  platform::SystemClock clock;
  const RunServices services{*inet, clock, host, port,
                             active    ? ModeChoice::Active
                             : passive ? ModeChoice::Passive
                                       : ModeChoice::First};
  const std::string folder = platform::settings_folder();

  AppState state;
  state.format_tag = kFormatTag;
  state.remote_ext = kRemoteExt;
  try {
    state.settings = read_settings(option_or(options, "--settings", default_settings_path()));
  } catch (const Error& e) {
    say(e.utf8());
    const HistoryEntry entry = unstarted(services, RunEnd::NoSettings);
    if (const std::string why = record(folder, entry); !why.empty()) say(fill(tr("history not written: {1}"), {why}));
    if (json) print_json(to_json(entry));
    return kExitFailed;
  }

  ConsoleView view(json, only_new, host + ":" + std::to_string(port));
  const RunResult run = UploadRun(state, view, services, RunRequest{folder, true, retries, kLockWaitS, !force})();
  if (run.end == RunEnd::Busy) say(tr("another upload is still under way"));
  if (json) {
    if (run.end == RunEnd::Declined) print_json(refusal(run.report, host, port));
    else if (run.end == RunEnd::Busy) print_json({{"outcome", stage_name(run.end)}, {"host", host}, {"port", port}});
    else print_json(to_json(run.entry));
  }
  return exit_code(run.end);
}

}  // namespace quillon::cli

#include <charconv>
#include <memory>

#include "app/app_state.h"
#include "app/upload_run.h"
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
    "usage: quillon-cli upload [--settings FILE] [--server HOST[:PORT]]\n"
    "  --settings FILE     the settings file (default: qsodata.qsl in the settings folder)\n"
    "  --server HOST:PORT  upload there instead of the built-in host\n";

// The main window on a terminal: status texts on stdout, message boxes on stderr.
class ConsoleView final : public RunView {
 public:
  void set_status(std::string_view text) override {
    status_ = text;
    end_progress_line();
    platform::write_text(platform::Stream::Out, for_terminal(text) + "\n");
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

  std::string status_;
  bool tty_ = platform::stdout_is_terminal();
  bool progress_shown_ = false;
};

bool parse_server(const std::string& text, std::string& host, std::uint16_t& port) {
  const std::size_t colon = text.rfind(':');
  host = text.substr(0, colon);
  if (host.empty()) return false;
  if (colon == std::string::npos) return true;
  const std::string digits = text.substr(colon + 1);
  unsigned value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size() || value == 0 || value > 65535)
    return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

int upload(const std::vector<std::string>& args) {
  const ParsedOptions options = parse_options(args, {"--settings", "--server"});
  auto usage_error = [](const std::string& why) {
    platform::write_text(platform::Stream::Err, "quillon-cli upload: " + why + "\n" + kUsage);
    return kExitUsage;
  };
  if (options.error) return usage_error(*options.error);
  if (options.help) {
    platform::write_text(platform::Stream::Out, kUsage);
    return kExitOk;
  }
  std::string host = build::kFtpHost;
  std::uint16_t port = build::kFtpPort;
  if (auto server = options.values.find("--server");
      server != options.values.end() && !parse_server(server->second, host, port))
    return usage_error("--server takes HOST or HOST:PORT");

  AppState state;
  state.format_tag = kFormatTag;
  state.remote_ext = kRemoteExt;
  try {
    state.settings = read_settings(option_or(options, "--settings", default_settings_path()));
  } catch (const Error& e) {
    platform::write_text(platform::Stream::Err, "quillon-cli upload: " + e.utf8() + "\n");
    return kExitFailed;
  }
  ConsoleView view;
  CaptionSurface surface([&view](const std::string& caption) { view.show_progress(caption); });
  state.ftp.bar().Target(&surface);
  const std::unique_ptr<platform::Internet> inet = platform::make_internet();
  platform::SystemClock clock;
  const RunServices services{*inet, clock, host, port};
  FtpEnv env = ftp_env(state, view, services);
  ftpinit(env);
  if (!state.ftp.failed_stage.empty()) {
    errchk(env);
    return kExitFailed;
  }
  return cmdOK_Click(state, view, services) == RunOutcome::Uploaded ? kExitOk : kExitFailed;
}

}  // namespace quillon::cli

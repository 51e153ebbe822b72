#include <exception>
#include <string>
#include <vector>

#include "build_config.h"
#include "commands.h"
#include "platform/terminal.h"

namespace {

using quillon::platform::Stream;
using quillon::platform::write_text;

constexpr const char* kUsage =
    "usage: quillon-cli convert [--settings FILE] [--csv FILE] [--out FILE] [--json]\n"
    "       quillon-cli upload [--settings FILE] [--server HOST[:PORT]] [--active | --passive] [--retry N] [--force] "
    "[--json]\n"
    "       quillon-cli check [--settings FILE] [--csv FILE] [--json]\n"
    "       quillon-cli history [--last N] [--json]\n"
    "       quillon-cli --help | --version\n"
    "\n"
    "convert  turns the exported log into the upload document\n"
    "upload   converts and sends the document, as the window's upload button does\n"
    "check    lists every problem of the log at once\n"
    "history  what was sent, and when\n";

int dispatch(std::vector<std::string> args) {
  if (args.empty()) {
    write_text(Stream::Err, kUsage);
    return quillon::cli::kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h") {
    write_text(Stream::Out, std::string(kUsage) + quillon::cli::kExitCodes);
    return quillon::cli::kExitOk;
  }
  if (command == "--version") {
    write_text(Stream::Out, std::string("quillon-cli ") + quillon::build::kVersion + "\n");
    return quillon::cli::kExitOk;
  }
  if (command == "convert") return quillon::cli::convert(args);
  if (command == "upload") return quillon::cli::upload(args);
  if (command == "check") return quillon::cli::check(args);
  if (command == "history") return quillon::cli::history(args);
  write_text(Stream::Err, "quillon-cli: unknown command \"" + command + "\"\n" + kUsage);
  return quillon::cli::kExitUsage;
}

}  // namespace

// Our own failures are reported by each command; anything else still ends
// with a line and the failure code, never an abort.
int main(int argc, char** argv) {
  try {
    return dispatch(quillon::platform::arguments(argc, argv));
  } catch (const std::exception& e) {
    write_text(Stream::Err, std::string("quillon-cli: ") + e.what() + "\n");
    return quillon::cli::kExitFailed;
  }
}

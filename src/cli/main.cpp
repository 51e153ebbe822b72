#include <exception>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/terminal.h"

namespace {

using quillon::platform::Stream;
using quillon::platform::write_text;

constexpr const char* kUsage =
    "usage: quillon-cli convert [--settings FILE] [--csv FILE] [--out FILE]\n"
    "       quillon-cli upload [--settings FILE] [--server HOST[:PORT]]\n"
    "       quillon-cli --help\n"
    "\n"
    "convert  turns the exported log into the upload document\n"
    "upload   converts and sends the document, as the window's upload button does\n";

int dispatch(std::vector<std::string> args) {
  if (args.empty()) {
    write_text(Stream::Err, kUsage);
    return quillon::cli::kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h") {
    write_text(Stream::Out, kUsage);
    return quillon::cli::kExitOk;
  }
  if (command == "convert") return quillon::cli::convert(args);
  if (command == "upload") return quillon::cli::upload(args);
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

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "build_config.h"
#include "commands.h"
#include "platform/terminal.h"
#include "text.h"

namespace {

using quillon::platform::Stream;
using quillon::platform::write_text;

int dispatch(std::vector<std::string> args) {
  if (args.empty()) {
    write_text(Stream::Err, quillon::cli::top_usage());
    return quillon::cli::kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h") {
    write_text(Stream::Out, quillon::cli::top_usage() + "\n" + quillon::cli::exit_codes_text());
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
  write_text(Stream::Err, "quillon-cli: " + quillon::cli::fill(quillon::cli::tr("unknown command \"{1}\""), {command}) +
                              "\n" + quillon::cli::top_usage());
  return quillon::cli::kExitUsage;
}

}  // namespace

// Our own failures are reported by each command; anything else still ends
// with a line and the failure code, never an abort.
int main(int argc, char** argv) {
  int code = quillon::cli::kExitFailed;
  try {
    quillon::cli::open_texts();
    code = dispatch(quillon::platform::arguments(argc, argv));
  } catch (const std::exception& e) {
    write_text(Stream::Err, std::string("quillon-cli: ") + e.what() + "\n");
  }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // Everything of ours is closed by now. What is left is the libraries' own
  // teardown at exit (OpenSSL's, libcurl's), which frees only memory, and the
  // wait for libcurl still loading after a run that never connected.
  std::fflush(nullptr);
  std::_Exit(code);
#endif
  return code;
}

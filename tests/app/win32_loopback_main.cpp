// quillon.exe on a loopback server: quillon_loopback HOST PORT. The real
// toolkit and program; only the fixed host differs.
#include <cstdlib>

#include "app/program.h"
#include "win32/form_window.h"
#include "win32/win32_toolkit.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  quillon::win32::prepare_application();
  quillon::win32::Win32Toolkit toolkit;
  quillon::Program::Options options;
  options.ftp_host = argv[1];
  options.ftp_port = static_cast<std::uint16_t>(std::atoi(argv[2]));
  quillon::Program program(toolkit, std::move(options));
  if (!program.start()) return 0;
  return quillon::win32::run_message_loop();
}

#include "support/ftp_server.h"

#include <stdexcept>

#include "support/temp_dir.h"

namespace quillon::testing {

const char* FtpServer::mode_name(Mode mode) {
  switch (mode) {
    case Mode::Normal: return "normal";
    case Mode::RefuseStore: return "refuse-store";
    case Mode::StoreFull: return "store-full";
    case Mode::DropMidTransfer: return "drop";
    case Mode::StallTransfer: return "stall-transfer";
    case Mode::StallReplies: return "stall-replies";
    case Mode::SilentGreeting: return "silent-greeting";
    case Mode::No226: return "no-226";
    case Mode::BusyOnce: return "busy-once";
    case Mode::NoActive: return "no-active";
  }
  return "normal";
}

FtpServer::Mode FtpServer::mode_named(const std::string& name) {
  for (int m = 0; m <= static_cast<int>(Mode::NoActive); ++m)
    if (name == mode_name(static_cast<Mode>(m))) return static_cast<Mode>(m);
  throw std::invalid_argument("no server mode " + name);
}

FtpServer::FtpServer() : FtpServer(Options{}) {}

std::string FtpServer::log() const { return read_file_or_empty(log_path_); }

}  // namespace quillon::testing

#include "support/ftp_server.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/system.h"

namespace quillon::testing {

namespace fs = std::filesystem;

FtpServer::FtpServer(Options options) {
  const fs::path spool = QUILLON_FTP_SPOOL;
  std::random_device random;
  const fs::path ticket = spool / std::to_string(random());
  write_file(ticket.string() + ".tmp", options.user + "\n" + options.password + "\n" + options.mode);
  fs::rename(ticket.string() + ".tmp", ticket.string() + ".req");
  ticket_ = ticket.string() + ".req";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    if (const std::string failed = read_file_or_empty(ticket.string() + ".failed"); !failed.empty()) {
      fs::remove(ticket_);
      throw std::runtime_error("FtpServer: " + failed);
    }
    std::istringstream ready(read_file_or_empty(ticket.string() + ".ready"));
    std::string base;
    if (ready >> port_ >> base) {
      // The broker names Linux paths; Wine shows the Linux root as a drive.
      root_ = QUILLON_FTP_DRIVE + base + "/root";
      log_path_ = QUILLON_FTP_DRIVE + base + "/server.log";
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  fs::remove(ticket_);
  throw std::runtime_error("FtpServer: no answer from ftp_broker.py in " + spool.string() + " (is it running?)");
}

FtpServer::~FtpServer() {
  std::error_code ec;
  fs::remove(ticket_, ec);
}

std::string FtpServer::log() const { return read_file_or_empty(log_path_); }

}  // namespace quillon::testing

#pragma once
// A real FTP server (pyftpdlib) on 127.0.0.1 and a free port, for the life of
// the object. Uploads land under root()/log/. ftp_broker.py, which ctest
// starts first, starts it on request, so a test under Wine asks the same way
// as a Linux one.
#include <cstdint>
#include <string>

namespace quillon::testing {

class FtpServer {
 public:
  struct Options {
    std::string user = "Q1AAA";
    std::string password = "secret";
    // As ftp_server.py names them: normal, refuse-store (a multi-line 550),
    // greet-NNN, stor-NNN and end-NNN (that reply for the greeting, the STOR,
    // after the data), drop, stall-transfer, stall-replies, silent-greeting,
    // no-226, busy-once (421 for the first connection), late-226, and for
    // the data connection no-active (425 for PORT and EPRT), refuse-active
    // (500 for them), active-425, no-connect-back, refuse-passive, refuse-both;
    // slow-store (the data taken at 40 KB/s) and no-connect-back-slow.
    std::string mode = "normal";
  };
  FtpServer() : FtpServer(Options{}) {}
  explicit FtpServer(Options options);  // throws std::runtime_error if it cannot start
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  std::uint16_t port() const { return port_; }
  const std::string& root() const { return root_; }
  // Everything the server logged so far: commands received, replies, transfers.
  std::string log() const;

 private:
  std::uint16_t port_ = 0;
  std::string root_;
  std::string log_path_;
  std::string ticket_;  // the broker's request; the server lives while it does
};

}  // namespace quillon::testing

#pragma once
// A real FTP server (pyftpdlib) on 127.0.0.1 and a free port, for the life of
// the object. Uploads land under root()/log/. A Linux test starts it itself;
// a Windows test under Wine asks ftp_broker.py, which ctest starts first.
#include <cstdint>
#include <string>

namespace quillon::testing {

class FtpServer {
 public:
  enum class Mode {
    Normal,
    RefuseStore,      // STOR answered with a multi-line 550
    StoreFull,        // STOR answered with 452
    DropMidTransfer,  // data connection closed after some bytes
    StallTransfer,    // data connection stops reading after some bytes
    StallReplies,     // control connection stops answering after login
    SilentGreeting,   // takes the connection, never says a word
    No226,            // takes the whole file, never confirms it
    BusyOnce,         // turns the first connection away with 421
    NoActive,         // cannot connect back: PORT and EPRT get 425
  };
  struct Options {
    std::string user = "Q1AAA";
    std::string password = "secret";
    Mode mode = Mode::Normal;
  };

  FtpServer();                        // default options
  explicit FtpServer(Options options);  // throws std::runtime_error if it cannot start
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  std::uint16_t port() const { return port_; }
  const std::string& root() const { return root_; }
  // Everything the server logged so far: commands received, replies, transfers.
  std::string log() const;

  static const char* mode_name(Mode mode);  // as ftp_server.py takes it
  static Mode mode_named(const std::string& name);  // throws for an unknown name

 private:
  std::uint16_t port_ = 0;
  std::string root_;
  std::string log_path_;
  int pid_ = -1;            // the server's process, where this process started it
  std::string ticket_;      // the broker's request, where a broker started it
};

}  // namespace quillon::testing

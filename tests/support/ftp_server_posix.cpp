#include "support/ftp_server.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/system.h"
#include "support/temp_dir.h"

namespace quillon::testing {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Ends the child and reaps it; SIGKILL when it ignores SIGTERM for 2 s.
void stop_child(int pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (Clock::now() < deadline) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace


FtpServer::FtpServer(Options options) {
  const fs::path base = make_temp_folder("quillon-ftp");
  // The served root sits beside the server's own files, out of the client's sight.
  root_ = (base / "root").string();
  fs::create_directories(base / "root" / "log");
  log_path_ = (base / "server.log").string();
  const std::string port_file = (base / "port").string();
  const std::string err_file = (base / "stderr").string();
  const std::string script = std::string(QUILLON_TEST_SUPPORT_DIR) + "/ftp_server.py";

  std::vector<std::string> args = {QUILLON_TEST_PYTHON, "-u", script,
                                   "--root", root_, "--log", log_path_,
                                   "--port-file", port_file,
                                   "--user", options.user, "--password", options.password,
                                   "--mode", FtpServer::mode_name(options.mode)};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) {
    fs::remove_all(base);
    throw std::runtime_error("fork failed");
  }
  if (pid == 0) {
    // A test process that crashes must not leave its server running.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    if (FILE* err = std::freopen(err_file.c_str(), "w", stderr)) (void)err;
    if (FILE* out = std::freopen("/dev/null", "w", stdout)) (void)out;
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  pid_ = pid;

  // The script writes the port file only once it listens.
  std::string failure;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  for (;;) {
    std::error_code ec;
    if (fs::exists(port_file, ec)) {
      const int port = std::atoi(read_file_or_empty(port_file).c_str());
      if (port > 0 && port < 65536) {
        port_ = static_cast<std::uint16_t>(port);
        return;
      }
      failure = "bad port file";
      break;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      failure = "server exited: " + read_file_or_empty(err_file);
      break;
    }
    if (Clock::now() > deadline) {
      failure = "server did not start within 10 s: " + read_file_or_empty(err_file);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  stop_child(pid_);
  pid_ = -1;
  fs::remove_all(base);
  throw std::runtime_error("FtpServer: " + failure);
}

FtpServer::~FtpServer() {
  stop_child(pid_);
  std::error_code ec;
  fs::remove_all(fs::path(root_).parent_path(), ec);
}


}  // namespace quillon::testing

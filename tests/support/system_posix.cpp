#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/system.h"

namespace quillon::testing {

const bool kWindows = false;
const SystemWords kWords = {"No such file or directory", "No such file or directory", "Is a directory"};

void set_env(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }

std::filesystem::path use_settings_home(const std::filesystem::path& home) {
  ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  return home / "quillon";
}

int run_program(const std::string& program, const std::string& args, const std::filesystem::path& dir,
                const std::filesystem::path& out, const std::filesystem::path& err,
                const std::function<bool()>& kill_when) {
  const std::string command = "cd '" + dir.string() + "' && exec '" + program + "' " + args + " >'" + out.string() +
                              "' 2>'" + err.string() + "'";
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("cannot start " + program);
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(child, &status, kill_when ? WNOHANG : 0) == 0) {
    if (kill_when()) ::kill(child, SIGKILL);
    ::usleep(10000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace quillon::testing

#include <stdlib.h>
#include <sys/wait.h>

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
                const std::filesystem::path& out, const std::filesystem::path& err) {
  const std::string command = "cd '" + dir.string() + "' && '" + program + "' " + args + " >'" + out.string() +
                              "' 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace quillon::testing

#pragma once
// What the tests need of the system they run on: temp folders and files, and
// what differs between systems, behind one face.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace quillon::testing {

// A fresh folder under the system temp dir, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A new, empty folder under the system's temp folder.
std::filesystem::path make_temp_folder(std::string_view prefix);
// Paths are UTF-8 on every system (Windows would read a narrow string in its code page).
std::filesystem::path utf8_path(const std::string& path);
std::string read_file(const std::string& path);
std::string read_file_or_empty(const std::string& path);  // "" when missing
void write_file(const std::string& path, std::string_view bytes);
// The permission bits in octal, "600"; Windows shows only "666" or "444".
std::string permission_bits(const std::string& path);
// What `call` threw of the program's own errors, as UTF-8; "(no error)" when it returned.
template <class Call>
std::string error_of(Call call) {
  try {
    call();
  } catch (const Error& e) {
    return e.utf8();
  }
  return "(no error)";
}
// What kind of the program's own errors `call` threw; none when it returned.
template <class Call>
std::optional<Failed> failure_of(Call call) {
  try {
    call();
  } catch (const Error& e) {
    return e.failed();
  }
  return std::nullopt;
}

extern const bool kWindows;

// The system's words for the failures the tests cause (Wine's on Windows).
struct SystemWords {
  const char* no_file;    // a missing file
  const char* no_folder;  // a file in a missing folder
  const char* is_folder;  // a folder where a file should be written
};
extern const SystemWords kWords;

// Sets a variable of this process's environment, which the programs it starts inherit.
void set_env(const char* name, const std::string& value);

// Points the settings folder of this process and of the programs it starts
// under home; returns the folder the program will use.
std::filesystem::path use_settings_home(const std::filesystem::path& home);

// Runs program with args (split as the system's own shell or command line
// would) in dir, stdout and stderr into the files named; returns its exit
// code, -1 when it did not end normally. Killed outright (SIGKILL,
// TerminateProcess) once `kill_when` says so; it is asked every 10 ms.
int run_program(const std::string& program, const std::string& args, const std::filesystem::path& dir,
                const std::filesystem::path& out, const std::filesystem::path& err,
                const std::function<bool()>& kill_when = nullptr);

}  // namespace quillon::testing

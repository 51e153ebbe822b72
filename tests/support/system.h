#pragma once
// What differs between the systems the tests run on, behind one face.
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::testing {

extern const bool kWindows;

// The system's words for the failures the tests cause (Wine's on Windows).
struct SystemWords {
  const char* no_file;    // a missing file
  const char* no_folder;  // a file in a missing folder
  const char* is_folder;  // a folder where a file should be written
};
extern const SystemWords kWords;


// Points the settings folder of this process and of the programs it starts
// under home; returns the folder the program will use.
std::filesystem::path use_settings_home(const std::filesystem::path& home);

// Runs program with args (split as the system's own shell or command line
// would) in dir, stdout and stderr into the files named; returns its exit
// code, -1 when it did not end normally.
int run_program(const std::string& program, const std::string& args, const std::filesystem::path& dir,
                const std::filesystem::path& out, const std::filesystem::path& err);

}  // namespace quillon::testing

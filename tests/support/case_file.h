#pragma once
// The cases kept as text under tests/data, read by one loop: a step a line,
// "#" comments, a "linux| " or "windows| " prefix for a line that holds on that
// system only, and "> " lines for what must have happened since the step
// before, in order. A runner says what its own steps do; the loop does the rest.
#include <filesystem>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_lock.h"
#include "support/system.h"

namespace quillon::testing {

using Transcript = std::vector<std::string>;

std::string replace_all(std::string text, const std::string& key, const std::string& value);
// "\s" a space, "\r", "\n", "\xNN" a byte; any other backslash stays as written
// (a pattern's "\." keeps its meaning).
std::string unescape(const std::string& in);
// CP932 bytes as readable UTF-8, line ends shown as \r and \n.
std::string shown(std::string_view cp932_text);

class CaseFile {
 public:
  CaseFile();
  virtual ~CaseFile() = default;
  // Runs every *.txt in tests/data/<folder> as a Case; at least `at_least` of them.
  template <class Case>
  static void run_all(const std::string& folder, int at_least);

 protected:
  // One step of the runner's own; false when it has none of that name.
  virtual bool step(const std::string& verb, const std::string& rest) = 0;
  // {dir} the case's folder, {config} the settings folder, {data} tests/data,
  // {no-file} and {is-folder} the system's words, and the runner's own keys.
  std::string expand(std::string s) const;
  std::string text(const std::string& s) const { return expand(unescape(s)); }  // escapes first: paths hold backslashes
  virtual std::vector<std::pair<std::string, std::string>> keys() const { return {}; }
  std::string where() const;
  std::string block();      // the lines that follow, up to one that is "."
  bool skip_rest_ = false;  // a step set it: the rest of the case does not run here

  TempDir dir_, home_;
  std::unique_ptr<platform::FileLock> upload_lock_;
  const std::filesystem::path config_;
  Transcript transcript_;

 private:
  void run(const std::filesystem::path& file);
  bool next_line(std::string& line);
  void all_seen();
  bool file_step(const std::string& verb, const std::string& rest);

  std::string name_;
  int line_no_ = 0;
  std::istream* in_ = nullptr;
  std::size_t seen_ = 0;
};

void run_case_files(const std::string& folder, int at_least, void (*run)(const std::filesystem::path&));

template <class Case>
void CaseFile::run_all(const std::string& folder, int at_least) {
  run_case_files(folder, at_least, [](const std::filesystem::path& file) { Case().run(file); });
}

}  // namespace quillon::testing

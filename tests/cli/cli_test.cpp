// quillon-cli as a user runs it: the cases in tests/data/cli/*.txt give the
// files and the server, the command, and the exit code, stdout and stderr it
// must produce, byte for byte. The format is in README there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>

#include "support/ftp_server.h"
#include "support/script_text.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::read_file;

class Case {
 public:
  explicit Case(const fs::path& file) : name_(file.filename().string()) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
      ++line_no_;
      if (line.empty() || line[0] == '#') continue;
      const std::size_t space = line.find(' ');
      const std::string verb = line.substr(0, space), rest = space == std::string::npos ? "" : expand(line.substr(space + 1));
      if (verb == "stdout:" || verb == "stderr:") {
        std::string block;
        while (std::getline(in, line) && line != ".") {
          ++line_no_;
          const std::string mine = testing::kWindows ? "windows| " : "linux| ", other = testing::kWindows ? "linux| " : "windows| ";
          if (line.rfind(other, 0) == 0) continue;
          if (line.rfind(mine, 0) == 0) line.erase(0, mine.size());
          block += expand(line) + "\n";
        }
        ++line_no_;
        EXPECT_EQ(verb == "stdout:" ? out_ : err_, block) << where();
      } else if (verb == "file") {
        const std::size_t sep = rest.find(' ');
        fs::create_directories(testing::utf8_path(rest.substr(0, sep)).parent_path());
        testing::write_file(rest.substr(0, sep), sep == std::string::npos ? "" : rest.substr(sep + 1));
      } else if (verb == "server") {
        testing::FtpServer::Options options;
        if (rest.rfind("mode=", 0) == 0)
          options.mode = rest.substr(5);
        else if (!rest.empty())
          options.password = rest;
        server_.emplace(options);
      } else if (verb == "run" || verb == "run-alone") {
        // "run-alone": a copy of the program with nothing beside it.
        std::string program = QUILLON_CLI;
        if (verb == "run-alone") {
          fs::create_directories(dir_.file("alone"));
          program = (dir_.path() / "alone" / fs::path(program).filename()).string();
          fs::copy_file(QUILLON_CLI, program, fs::copy_options::overwrite_existing);
        }
        exit_ = testing::run_program(program, rest, dir_.path(), dir_.file("stdout"), dir_.file("stderr"));
        out_ = read_file(dir_.file("stdout"));
        err_ = read_file(dir_.file("stderr"));
        fs::remove(dir_.file("stdout")), fs::remove(dir_.file("stderr"));
      } else if (verb == "not-on") {  // SYSTEM WHY: this case cannot hold there
        if (rest.rfind(testing::kWindows ? "windows " : "linux ", 0) == 0) return;
      } else if (verb == "json" || verb == "history") {
        // json TEXT...: stdout holds each; history N TEXT...: the history has N
        // lines, the last holds each.
        std::istringstream words(line.substr(space + 1));
        std::string text = out_;
        if (verb == "history") {
          std::size_t count = 0;
          words >> count;
          text = testing::read_file_or_empty((settings_ / "uploads.jsonl").string());
          EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')), count) << where();
          text = text.substr(text.rfind('\n', text.size() - std::min<std::size_t>(text.size(), 2)) + 1);
        }
        for (std::string word; words >> word;)
          EXPECT_NE(text.find(expand(word)), std::string::npos) << where() << ": no " << expand(word) << " in\n" << text;
      } else if (verb == "exit") {
        EXPECT_EQ(exit_, std::stoi(rest)) << where() << "\nstderr: " << err_;
      } else if (verb == "file-is") {
        const std::size_t sep = rest.find(' ');
        EXPECT_EQ(read_file(rest.substr(0, sep)), sep == std::string::npos ? "" : rest.substr(sep + 1)) << where();
      } else if (verb == "stored") {  // NAME-PATTERN LOCAL: the one file under /log
        const std::size_t sep = rest.find(' ');
        std::vector<fs::path> stored;
        if (fs::exists(server_->root() + "/log"))
          for (const auto& e : fs::directory_iterator(server_->root() + "/log")) stored.push_back(e.path());
        EXPECT_EQ(stored.size(), sep == std::string::npos ? 0u : 1u) << where();
        if (stored.size() != 1) continue;
        EXPECT_TRUE(std::regex_match(stored[0].filename().string(), std::regex(rest.substr(0, sep)))) << where() << stored[0];
        EXPECT_EQ(read_file(stored[0].string()), read_file(rest.substr(sep + 1))) << where();
      } else {
        ADD_FAILURE() << where() << ": unknown line " << verb;
      }
    }
  }

 private:
  // {dir} the case's folder, {settings} the settings folder in it, {data}
  // tests/data, {port} the server's, {no-file} the system's words for a
  // missing file. The escapes go first: a Windows path holds backslashes.
  std::string expand(std::string s) const {
    s = testing::unescape(s);
    const std::pair<std::string, std::string> keys[] = {
        {"{dir}", dir_.path().string()}, {"{settings}", settings_.string()}, {"{data}", QUILLON_TEST_DATA_DIR},
        {"{port}", server_ ? std::to_string(server_->port()) : "0"},
        {"{no-file}", testing::kWords.no_file}, {"{is-folder}", testing::kWords.is_folder}};
    for (const auto& [key, value] : keys) s = testing::replace_all(std::move(s), key, value);
    return s;
  }
  std::string where() const { return name_ + ":" + std::to_string(line_no_); }

  std::string name_;
  int line_no_ = 0;
  testing::TempDir dir_;
  const fs::path settings_ = testing::use_settings_home(dir_.path());
  std::optional<testing::FtpServer> server_;
  int exit_ = -1;
  std::string out_, err_;
};

TEST(Cli, EachCase) {
  int cases = 0;
  for (const auto& file : fs::directory_iterator(fs::path(QUILLON_TEST_DATA_DIR) / "cli"))
    if (file.path().extension() == ".txt") {
      ++cases;
      Case run(file.path());
    }
  EXPECT_GE(cases, 5);
}

}  // namespace
}  // namespace quillon

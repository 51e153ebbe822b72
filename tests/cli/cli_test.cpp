// quillon-cli as a user runs it: the cases in tests/data/cli/*.txt give the
// files and the server, the command, and the exit code, stdout and stderr it
// must produce, byte for byte. The format is in README there.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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
        // json KEY=VALUE...: the one object on stdout; history COUNT [KEY=VALUE...]:
        // the history's lines and the last one's fields. VALUE * is any but empty.
        std::istringstream words(rest);
        nlohmann::json object;
        if (verb == "json") {
          object = nlohmann::json::parse(out_, nullptr, false);
        } else {
          std::size_t count = 0;
          words >> count;
          std::vector<nlohmann::json> lines;
          std::istringstream file(testing::read_file_or_empty((settings_ / "uploads.jsonl").string()));
          for (std::string line; std::getline(file, line);) lines.push_back(nlohmann::json::parse(line, nullptr, false));
          EXPECT_EQ(lines.size(), count) << where();
          if (!lines.empty()) object = lines.back();
        }
        if (!object.is_object()) {
          ADD_FAILURE() << where() << ": no JSON object\n" << out_;
          continue;
        }
        std::vector<std::string> pairs;  // a word without "=" goes on with the value before it
        for (std::string word; words >> word;)
          if (word.find('=') == std::string::npos && !pairs.empty()) pairs.back() += " " + word;
          else pairs.push_back(word);
        for (const std::string& pair : pairs) {
          const std::string key = pair.substr(0, pair.find('=')), want = pair.substr(pair.find('=') + 1);
          const std::string got = object.contains(key) ? (object[key].is_string() ? object[key].get<std::string>()
                                                                                   : object[key].dump()) : "(none)";
          if (!want.empty() && want.back() == '*')  // a prefix; "*" alone: anything but empty
            EXPECT_TRUE(got != "(none)" && got.rfind(want.substr(0, want.size() - 1), 0) == 0 && !got.empty())
                << where() << ": " << key << " is " << got;
          else
            EXPECT_EQ(got, want) << where() << ": " << key;
        }
      } else if (verb == "server-log") {  // TEXT[|TEXT...]: the server heard one of them
        const std::string log = server_->log();
        bool heard = false;
        for (std::size_t at = 0; at <= rest.size();) {
          const std::size_t bar = std::min(rest.find('|', at), rest.size());
          heard = heard || log.find(rest.substr(at, bar - at)) != std::string::npos;
          at = bar + 1;
        }
        EXPECT_TRUE(heard) << where() << "\n" << log;
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

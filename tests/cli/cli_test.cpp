// quillon-cli as a user runs it: the cases in tests/data/cli/*.txt give the
// files and the server, the command, and the exit code, stdout and stderr it
// must produce, byte for byte. The format is in README there.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <regex>
#include <sstream>

#include "support/case_file.h"
#include "support/ftp_server.h"
#include "support/system.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::read_file;

class Case : public testing::CaseFile {
 private:
  std::vector<std::pair<std::string, std::string>> keys() const override {
    return {{"{port}", server_ ? std::to_string(server_->port()) : "0"}};
  }
  bool step(const std::string& verb, const std::string& raw) override {
    const std::string rest = text(raw);
    if (verb == "stdout:" || verb == "stderr:") {
      const std::string want = block();
      EXPECT_EQ(verb == "stdout:" ? out_ : err_, want) << where();
    } else if (verb == "server") {
      testing::FtpServer::Options options;
      if (rest.rfind("mode=", 0) == 0) options.mode = rest.substr(5);
      else if (!rest.empty()) options.password = rest;
      server_.emplace(options);
    } else if (verb == "run" || verb == "run-alone") {
      // "run-alone": a copy of the program with nothing beside it.
      std::string program = QUILLON_CLI;
      if (verb == "run-alone") {
        fs::create_directories(dir_.file("alone"));
        program = (dir_.path() / "alone" / fs::path(program).filename()).string();
        fs::copy_file(QUILLON_CLI, program, fs::copy_options::overwrite_existing);
      }
      exit_ = testing::run_program(program, rest, dir_.path(), home_.file("stdout"), home_.file("stderr"));
      out_ = read_file(home_.file("stdout"));
      err_ = read_file(home_.file("stderr"));
    } else if (verb == "json" || verb == "says" || verb == "history") {
      // json TEXT...: stdout holds each; says TEXT...: stderr does; history N
      // TEXT...: the history has N lines, the last holds each.
      std::istringstream words(raw);
      std::string holder = verb == "says" ? err_ : testing::replace_all(out_, "\\\\", "\\");  // JSON's "\\" a path's "\"
      if (verb == "history") {
        std::size_t count = 0;
        words >> count;
        holder = testing::read_file_or_empty((config_ / "uploads.jsonl").string());
        EXPECT_EQ(static_cast<std::size_t>(std::count(holder.begin(), holder.end(), '\n')), count) << where();
        holder = holder.substr(holder.rfind('\n', holder.size() - std::min<std::size_t>(holder.size(), 2)) + 1);
      }
      for (std::string word; words >> word;)
        EXPECT_NE(holder.find(text(word)), std::string::npos) << where() << ": no " << text(word) << " in\n" << holder;
    } else if (verb == "exit") {
      EXPECT_EQ(exit_, std::stoi(rest)) << where() << "\nstderr: " << err_;
    } else if (verb == "stored") {  // NAME-PATTERN LOCAL: the one file under /log
      const std::size_t sep = rest.find(' ');
      std::vector<fs::path> stored;
      if (fs::exists(server_->root() + "/log"))
        for (const auto& e : fs::directory_iterator(server_->root() + "/log")) stored.push_back(e.path());
      EXPECT_EQ(stored.size(), sep == std::string::npos ? 0u : 1u) << where();
      if (stored.size() == 1) {
        EXPECT_TRUE(std::regex_match(stored[0].filename().string(), std::regex(rest.substr(0, sep)))) << where() << stored[0];
        EXPECT_EQ(read_file(stored[0].string()), read_file(rest.substr(sep + 1))) << where();
      }
    } else {
      return false;
    }
    return true;
  }

  std::optional<testing::FtpServer> server_;
  int exit_ = -1;
  std::string out_, err_;
};

TEST(Cli, EachCase) { testing::CaseFile::run_all<Case>("cli", 5); }

}  // namespace
}  // namespace quillon

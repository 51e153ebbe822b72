// quillon-cli as a user runs it: the cases in tests/data/cli/*.txt give the
// files and the server, the command, and the exit code, stdout and stderr it
// must produce, byte for byte. The format is in README there.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>

#include "app/history.h"
#include "support/case_file.h"
#include "support/ftp_server.h"
#include "support/system.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::read_file;

class Case : public testing::CaseFile {
 public:
  // English unless a case says otherwise, whatever the language of the machine that runs the tests.
  Case() {
    started_japanese();
    testing::set_env("LC_ALL", "C.UTF-8");
    testing::set_env("LANGUAGE", "");
  }

 private:
  std::vector<std::pair<std::string, std::string>> keys() const override {
    return {{"{port}", server_ ? std::to_string(server_->port()) : "0"}};
  }
  bool step(const std::string& verb, const std::string& raw) override {
    const std::string rest = text(raw);
    if (verb == "stdout:" || verb == "stderr:") {
      const std::string want = block();
      EXPECT_EQ(verb == "stdout:" ? out_ : err_, want) << where();
    } else if (verb == "stdout-in") {
      // stdout-in FILE NAME: FILE's lines between "<!-- NAME -->" and "<!-- /NAME -->",
      // each less its four-space indent (a document's code block).
      const std::size_t sep = rest.find(' ');
      const std::string name = rest.substr(sep + 1), page = read_file(rest.substr(0, sep));
      const std::size_t from = page.find("<!-- " + name + " -->\n"), to = page.find("<!-- /" + name + " -->");
      if (from == std::string::npos || to == std::string::npos) {
        ADD_FAILURE() << where() << ": no block " << name;
        return true;
      }
      std::istringstream lines(page.substr(from, to - from));
      std::string block, line;
      for (std::getline(lines, line); std::getline(lines, line);)
        block += line.substr(std::min<std::size_t>(4, line.size())) + "\n";
      EXPECT_EQ("\n" + out_ + "\n", block) << where();
    } else if (verb == "json-keys") {
      // json-keys [PATH] KEY...: stdout is one JSON object on one line; its keys (or those of
      // the first element of its list PATH) are these, in this order.
      std::istringstream words(rest);
      std::vector<std::string> want{std::istream_iterator<std::string>(words), {}}, keys;
      auto object = nlohmann::ordered_json::parse(out_, nullptr, false);
      const bool one_line = !out_.empty() && out_.find('\n') == out_.size() - 1;
      if (!want.empty() && want[0].front() == '/') {
        object = object.is_object() && object.contains(want[0].substr(1)) ? object[want[0].substr(1)][0] : nullptr;
        want.erase(want.begin());
      }
      if (object.is_object())
        for (const auto& item : object.items()) keys.push_back(item.key());
      EXPECT_TRUE(one_line) << where() << ": stdout is not one line\n" << out_;
      EXPECT_EQ(keys, want) << where() << "\n" << out_;
    } else if (verb == "language") {
      // language ja|en: the runs that follow speak it. Wine gives a process the language of the
      // environment Wine was started in, which a Windows program cannot change for its children:
      // there the rest of the case runs only in the suite started in that language (cli_test_ja).
      if (!testing::kWindows) testing::set_env("LC_ALL", rest == "ja" ? "ja_JP.UTF-8" : "en_US.UTF-8");
      else skip_rest_ = (rest == "ja") != started_japanese();
    } else if (verb == "env") {  // env NAME [VALUE]: the runs that follow have it in their environment
      const std::size_t sep = rest.find(' ');
      testing::set_env(rest.substr(0, sep).c_str(), sep == std::string::npos ? "" : rest.substr(sep + 1));
    } else if (verb == "server") {
      testing::FtpServer::Options options;
      if (rest.rfind("mode=", 0) == 0) options.mode = rest.substr(5);
      else if (!rest.empty()) options.password = rest;
      server_.emplace(options);
    } else if (verb == "run" || verb == "run-alone" || verb == "run-killed") {
      // "run-alone": a copy of the program with nothing beside it; "run-killed":
      // killed outright once the server has begun to store.
      std::string program = QUILLON_CLI;
      if (verb == "run-alone") {
        fs::create_directories(dir_.file("alone"));
        program = (dir_.path() / "alone" / fs::path(program).filename()).string();
        fs::copy_file(QUILLON_CLI, program, fs::copy_options::overwrite_existing);
      }
      // The server has begun to store this run's document: a file more under /log.
      const std::size_t before = stored_count();
      const auto storing = [this, before] { return stored_count() > before; };
      // "beside ARGS" before it: that command runs too, once this one has begun to store.
      std::function<bool()> watch = nullptr;
      if (verb == "run-killed") watch = storing;
      if (!kill_when_.empty()) {
        watch = [this, heard = text(kill_when_)] { return server_->log().find(heard) != std::string::npos; };
        kill_when_.clear();
      }
      if (!beside_.empty())
        watch = [this, storing, args = beside_]() mutable {
          if (args.empty() || !storing()) return false;
          beside_exit_ =
              testing::run_program(QUILLON_CLI, args, dir_.path(), home_.file("stdout2"), home_.file("stderr2"));
          args.clear();
          return false;
        };
      exit_ = testing::run_program(program, rest, dir_.path(), home_.file("stdout"), home_.file("stderr"), watch);
      out_ = read_file(home_.file("stdout"));
      err_ = read_file(home_.file("stderr"));
      if (!beside_.empty()) {
        EXPECT_NE(beside_exit_, -2) << where() << ": the command beside never ran";
        beside_out_ = testing::read_file_or_empty(home_.file("stdout2"));
        beside_err_ = testing::read_file_or_empty(home_.file("stderr2"));
        beside_.clear();
      }
    } else if (verb == "kill-when") {
      kill_when_ = rest;
    } else if (verb == "power-cut") {
      // The history as the disk holds it: each file as its last sync left it
      // (switch sync-copies), none that was never synced, no shared memory.
      for (const char* beside : {"", "-wal"}) {
        const fs::path file = history() + beside, synced = history() + beside + ".synced";
        if (fs::exists(synced)) fs::rename(synced, file);
        else fs::remove(file);
      }
      fs::remove(history() + "-shm");
    } else if (verb == "beside") {
      beside_ = rest;
      beside_exit_ = -2;
    } else if (verb == "second") {  // the checks that follow look at the command beside, until "second" again
      std::swap(exit_, beside_exit_);
      std::swap(out_, beside_out_);
      std::swap(err_, beside_err_);
    } else if (verb == "heard") {  // heard N COMMAND: the server's log holds N of that command
      const std::size_t sep = rest.find(' ');
      const std::string log = server_->log(), command = "<- " + rest.substr(sep + 1);
      std::size_t n = 0;
      for (std::size_t at = log.find(command); at != std::string::npos; at = log.find(command, at + 1))
        n += at == 0 || log[at - 1] == '\n';
      EXPECT_EQ(n, std::stoul(rest.substr(0, sep))) << where() << "\n" << log;
    } else if (verb == "stored-count") {
      EXPECT_EQ(stored_count(), std::stoul(rest)) << where();
    } else if (verb == "lacks") {  // lacks TEXT: stdout does not hold it
      EXPECT_EQ(out_.find(text(rest)), std::string::npos) << where() << "\n" << out_;
    } else if (verb == "json" || verb == "says" || verb == "history") {
      // json TEXT...: stdout holds each; says TEXT...: stderr does; history N
      // TEXT...: the history has N lines, the last holds each.
      std::istringstream words(raw);
      std::string holder =
          verb == "says" ? err_ : testing::replace_all(out_, "\\\\", "\\");  // JSON's "\\" a path's "\"
      if (verb == "history") {
        std::size_t count = 0;
        words >> count;
        const std::vector<HistoryEntry> runs = History(history(), History::Mode::Read).runs();
        EXPECT_EQ(runs.size(), count) << where();
        holder = runs.empty() ? "" : json_line(to_json(runs.back()));
      }
      for (std::string word; words >> word;)
        EXPECT_NE(holder.find(text(word)), std::string::npos) << where() << ": no " << text(word) << " in\n" << holder;
    } else if (verb == "exit") {
      EXPECT_EQ(exit_, std::stoi(rest)) << where() << "\nstderr: " << err_;
    } else if (verb == "stored" || verb == "stored-newest") {
      // stored NAME-PATTERN LOCAL: the one file under /log; stored-newest: the newest of them
      const std::size_t sep = rest.find(' ');
      std::vector<fs::path> stored;
      if (fs::exists(server_->root() + "/log"))
        for (const auto& e : fs::directory_iterator(server_->root() + "/log")) stored.push_back(e.path());
      // Newest first by the time in the name: a file time under Wine has whole seconds only.
      std::sort(stored.begin(), stored.end(), [](const fs::path& a, const fs::path& b) { return a > b; });
      if (verb == "stored") {
        EXPECT_EQ(stored.size(), sep == std::string::npos ? 0u : 1u) << where();
      }
      if (!stored.empty() && sep != std::string::npos) {
        EXPECT_TRUE(std::regex_match(stored[0].filename().string(), std::regex(rest.substr(0, sep))))
            << where() << stored[0];
        EXPECT_EQ(read_file(stored[0].string()), read_file(rest.substr(sep + 1))) << where();
      }
    } else {
      return false;
    }
    return true;
  }

  static bool started_japanese() {
    static const bool japanese = [] {
      for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
          return std::string_view(value).substr(0, 2) == "ja";
      return false;
    }();
    return japanese;
  }
  std::string history() const { return (config_ / kHistoryFile).string(); }
  std::size_t stored_count() const {
    std::error_code missing;
    std::size_t n = 0;
    if (server_)
      for (fs::directory_iterator e(server_->root() + "/log", missing), end; !missing && e != end; e.increment(missing))
        ++n;
    return n;
  }

  std::optional<testing::FtpServer> server_;
  int exit_ = -1;
  std::string out_, err_;
  std::string kill_when_;  // the next run is killed once the server's log holds it
  std::string beside_;     // the command to run beside the next
  int beside_exit_ = -2;
  std::string beside_out_, beside_err_;
};

TEST(Cli, EachCase) { testing::CaseFile::run_all<Case>("cli", 5); }

}  // namespace
}  // namespace quillon

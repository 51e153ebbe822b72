#include "support/case_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>

#include "platform/cp932.h"
#include "platform/file_lock.h"
#include "support/system.h"

namespace quillon::testing {

namespace fs = std::filesystem;

namespace {

// A history that keeps each run's contacts in one row shows them to the cases
// as one row a contact, as they were once kept (in this connection only).
void contacts_as_rows(sqlite3* db) {
  int kept_per_run = 0;
  sqlite3_exec(
      db,
      "SELECT (SELECT count(*) FROM sqlite_master WHERE name = 'run_contacts') > 0 "
      "AND (SELECT count(*) FROM sqlite_master WHERE name = 'contacts') = 0",
      [](void* out, int, char** values, char**) {
        *static_cast<int*>(out) = values[0] && values[0][0] == '1';
        return 0;
      },
      &kept_per_run, nullptr);
  if (kept_per_run)
    sqlite3_exec(db,
                 "CREATE TEMP VIEW contacts AS SELECT r.run AS run, c.value->>0 AS record, c.value->>1 AS line, "
                 "c.value->>2 AS callsign, c.value->>3 AS call, c.value->>4 AS daytime, c.value->>5 AS frequency, "
                 "c.value->>6 AS mode, c.value->>7 AS remarks FROM run_contacts r, json_each(r.contacts) c",
                 nullptr, nullptr, nullptr);
}

}  // namespace

std::string replace_all(std::string text, const std::string& key, const std::string& value) {
  for (std::size_t at = 0; (at = text.find(key, at)) != std::string::npos; at += value.size())
    text.replace(at, key.size(), value);
  return text;
}

std::string unescape(const std::string& in) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char next = i + 1 < in.size() ? in[i + 1] : '\0';
    if (in[i] != '\\' || (next != 's' && next != 'r' && next != 'n' && next != 'x')) {
      out += in[i];
    } else if (next == 'x' && i + 3 < in.size()) {
      out += static_cast<char>(std::stoi(in.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += next == 's' ? ' ' : next == 'r' ? '\r' : '\n';
      ++i;
    }
  }
  return out;
}

std::string shown(std::string_view cp932_text) {
  return replace_all(replace_all(cp932::to_utf8_or_as_is(cp932_text), "\r", "\\r"), "\n", "\\n");
}

CaseFile::CaseFile() : config_(use_settings_home(home_.path())) { set_env("QUILLON_TEST", ""); }

std::string CaseFile::expand(std::string s) const {
  std::vector<std::pair<std::string, std::string>> all = {
      {"{dir}", dir_.path().string()}, {"{config}/", (config_ / "").string()},  // the system's separator
      {"{config}", config_.string()},  {"{data}", QUILLON_TEST_DATA_DIR},
      {"{no-file}", kWords.no_file},   {"{is-folder}", kWords.is_folder}};
  for (auto& pair : keys()) all.push_back(std::move(pair));
  for (const auto& [key, value] : all) s = replace_all(std::move(s), key, value);
  return s;
}

std::string CaseFile::where() const { return name_ + ":" + std::to_string(line_no_); }

bool CaseFile::next_line(std::string& line) {
  while (std::getline(*in_, line)) {
    ++line_no_;
    const std::string mine = kWindows ? "windows| " : "linux| ", other = kWindows ? "linux| " : "windows| ";
    if (line.rfind(other, 0) == 0) continue;
    if (line.rfind(mine, 0) == 0) line.erase(0, mine.size());
    return true;
  }
  return false;
}

std::string CaseFile::block() {
  std::string out;
  for (std::string line; next_line(line) && line != ".";) out += text(line) + "\n";
  return out;
}

void CaseFile::all_seen() {
  for (; seen_ < transcript_.size(); ++seen_)
    ADD_FAILURE() << where() << ": unexpected \"" << transcript_[seen_] << "\"";
}

void CaseFile::run(const fs::path& file) {
  name_ = file.filename().string();
  std::ifstream in(file);
  in_ = &in;
  for (std::string line; next_line(line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("> ", 0) == 0) {
      const std::string want = expand(line.substr(2));
      if (seen_ < transcript_.size() && transcript_[seen_] == want) {
        ++seen_;
      } else if (seen_ <= transcript_.size()) {  // once a step: the rest of its lines would only echo it
        ADD_FAILURE() << where() << ": want \"" << want << "\"\n  got  \""
                      << (seen_ < transcript_.size() ? transcript_[seen_] : "(nothing more)") << "\"";
        seen_ = transcript_.size() + 1;
      }
      continue;
    }
    seen_ = std::min(seen_, transcript_.size());
    all_seen();
    const std::size_t space = line.find(' ');
    const std::string verb = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (verb == "not-on" && rest.rfind(kWindows ? "windows " : "linux ", 0) == 0) return;  // not-on SYSTEM WHY
    if (verb != "not-on" && !file_step(verb, rest) && !step(verb, rest))
      ADD_FAILURE() << where() << ": no step " << verb;
    if (skip_rest_) return;
  }
  all_seen();
}

// file PATH [TEXT|@DATA-FILE], file-is PATH TEXT (shown), files FOLDER NAME..., mkdir, rm, sql.
bool CaseFile::file_step(const std::string& verb, const std::string& rest) {
  const std::size_t space = rest.find(' ');
  const std::string path = expand(rest.substr(0, space)),
                    arg = space == std::string::npos ? "" : rest.substr(space + 1);
  if (verb == "file") {
    fs::create_directories(utf8_path(path).parent_path());
    write_file(
        path, arg.rfind('@', 0) == 0 ? read_file(std::string(QUILLON_TEST_DATA_DIR) + "/" + arg.substr(1)) : text(arg));
  } else if (verb == "file-is") {
    EXPECT_EQ(shown(read_file(path)), expand(replace_all(arg, "\\s", " "))) << where();
  } else if (verb == "mode") {
    EXPECT_EQ(testing::permission_bits(path), arg) << where();
  } else if (verb == "files") {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(utf8_path(path))) names.insert(e.path().filename().string());
    std::string listing;
    for (const auto& n : names) listing += (listing.empty() ? "" : " ") + n;
    EXPECT_TRUE(std::regex_match(listing, std::regex(arg))) << where() << ": " << listing;
  } else if (verb == "mkdir") {
    fs::create_directories(utf8_path(path));
  } else if (verb == "rm") {
    fs::remove(utf8_path(path));
  } else if (verb == "sql") {  // SQL on the history, then the rows it gives, "|" between columns
    std::string rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open((config_ / "uploads.sqlite").string().c_str(), &db), SQLITE_OK) << where();
    contacts_as_rows(db);
    auto add = [](void* out, int n, char** values, char**) {
      std::string& rows = *static_cast<std::string*>(out);
      for (int i = 0; i < n; ++i) rows.append(i ? "|" : "").append(values[i] ? values[i] : "");
      rows += '\n';
      return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, expand(rest).c_str(), add, &rows, nullptr), SQLITE_OK) << where() << sqlite3_errmsg(db);
    sqlite3_close(db);
    EXPECT_EQ(rows, block()) << where();
  } else if (verb == "upload-lock") {  // another upload under way in the settings folder, for the rest of the case
    fs::create_directories(config_);
    platform::FileLock::Result taken;
    upload_lock_ = platform::FileLock::try_take((config_ / "uploads.lock").string(), taken);
    EXPECT_TRUE(upload_lock_) << where();
  } else if (verb == "switch") {  // QUILLON_TEST for what follows in this case
    set_env("QUILLON_TEST", rest);
  } else {
    return false;
  }
  return true;
}

void run_case_files(const std::string& folder, int at_least, void (*run)(const fs::path&)) {
  int cases = 0;
  // QUILLON_CASE=WORD: only the files whose name holds WORD, while one is worked on.
  const char* only = std::getenv("QUILLON_CASE");
  if (only) at_least = 1;
  for (const auto& file : fs::directory_iterator(fs::path(QUILLON_TEST_DATA_DIR) / folder)) {
    if (file.path().extension() != ".txt") continue;
    if (only && file.path().filename().string().find(only) == std::string::npos) continue;
    ++cases;
    try {
      run(file.path());
    } catch (const std::exception& e) {
      ADD_FAILURE() << file.path().filename().string() << ": " << e.what();
    }
  }
  EXPECT_GE(cases, at_least) << folder;
}

}  // namespace quillon::testing

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace quillon {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

struct Result {
  int exit_code;
  std::string out;
  std::string err;
};

Result run(const std::string& args, const TempDir& dir) {
  const std::string out = dir.file("stdout"), err = dir.file("stderr");
  const std::string command = "XDG_CONFIG_HOME='" + dir.path().string() + "' '" QUILLON_CLI "' " +
                              args + " >'" + out + "' 2>'" + err + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out), read_file(err)};
}

std::string data(const char* name) { return std::string(QUILLON_TEST_DATA_DIR) + "/" + name; }

TEST(CliConvert, ConvertsTheSampleLog) {
  TempDir dir;
  const std::string out = dir.file("out.xml");
  const Result r = run("convert --settings '" + data("sample-settings.qsl") + "' --csv '" +
                           data("sample.csv") + "' --out '" + out + "'",
                       dir);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "3 records written to " + out + "\n");
  const std::string doc = read_file(out);
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 24 + 14 * 3);
  EXPECT_NE(doc.find("<callsign>KH0/W1AW/P</callsign>"), std::string::npos);
  EXPECT_NE(doc.find("<frequency>22</frequency>"), std::string::npos);
}

TEST(CliConvert, FileNamesOnTheCommandLineAreNative) {
  TempDir dir;
  const std::filesystem::path folder = dir.path() / "ログ";
  std::filesystem::create_directory(folder);
  const std::string out = (folder / "out.xml").string();
  const std::string command = "convert --settings '" + data("sample-settings.qsl") + "' --csv '" +
                              data("sample.csv") + "' --out ";
  const Result r = run(command + "'" + out + "'", dir);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "3 records written to " + out + "\n");
  EXPECT_FALSE(read_file(out).empty());

  const Result emoji = run(command + "'" + dir.file("😀.xml") + "'", dir);
  EXPECT_EQ(emoji.exit_code, 1);
  EXPECT_NE(emoji.err.find("--out"), std::string::npos) << emoji.err;
  EXPECT_NE(emoji.err.find("U+1F600"), std::string::npos) << emoji.err;
}

TEST(CliConvert, FailuresExitOneWithOneLineAndKeepThePreviousDocument) {
  TempDir dir;
  const std::string out = dir.file("out.xml");
  write_file(out, "previous");
  std::string bad(34, ',');
  bad.insert(8, "S9");  // field 9
  write_file(dir.file("bad.csv"), bad + "\r\n");
  struct Case {
    std::string args;
    std::string names;
  };
  const std::string settings = " --settings '" + data("sample-settings.qsl") + "'";
  const Case cases[] = {
      {"convert --csv '" + dir.file("bad.csv") + "' --out '" + out + "'" + settings, "\"S9\""},
      {"convert --csv '" + dir.file("none.csv") + "' --out '" + out + "'" + settings, dir.file("none.csv")},
      {"convert --settings '" + dir.file("none.qsl") + "'", dir.file("none.qsl")},
  };
  for (const Case& c : cases) {
    const Result r = run(c.args, dir);
    EXPECT_EQ(r.exit_code, 1) << c.args;
    EXPECT_NE(r.err.find(c.names), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(read_file(out), "previous");
  }
  EXPECT_NE(run(cases[0].args, dir).err.find("9"), std::string::npos);
}

TEST(CliConvert, BadUsageExitsTwoAndHelpExitsZero) {
  TempDir dir;
  for (const char* args : {"convert --bogus", "convert --csv", "convert --out a --out b", "frobnicate", ""}) {
    const Result r = run(args, dir);
    EXPECT_EQ(r.exit_code, 2) << args;
    EXPECT_NE(r.err.find("usage"), std::string::npos) << args;
  }
  const Result help = run("convert --help", dir);
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--settings"), std::string::npos);
}

}  // namespace
}  // namespace quillon

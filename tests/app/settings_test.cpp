#include "app/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/cp932.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

TEST(SettingsFile, FirstStartFileIsThirtyTwoBytes) {
  TempDir dir;
  write_settings(dir.file("qsodata.qsl"), Settings{});
  EXPECT_EQ(read_file(dir.file("qsodata.qsl")),
            "\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n");
}

TEST(SettingsFile, WritesEveryValueOnItsLine) {
  TempDir dir;
  Settings s{"c.csv", "x.xml", "Q1AAA", "pw", "/1", 1, "a1", "a2", "a3", "d", "p", -1, "name"};
  write_settings(dir.file("s"), s);
  EXPECT_EQ(read_file(dir.file("s")),
            "c.csv\r\nx.xml\r\nQ1AAA\r\npw\r\n/1\r\n 1 \r\na1\r\na2\r\na3\r\nd\r\np\r\n-1 \r\nname\r\n");
}

TEST(SettingsFile, RoundTripsValuesExactly) {
  TempDir dir;
  Settings s;
  s.csv_path = "  C:\\log\\tarnis.csv  ";
  s.callsign = " ";
  s.server_password = "a,b\"c\"|<&>";
  s.address1 = cp932::from_utf8("東京都千代田区丸の内１－１");
  s.qsl_name = cp932::from_utf8("表示ソフト");  // second bytes 0x5C
  s.hangup_on_exit = 1;
  s.log_search = -32768;
  write_settings(dir.file("s"), s);
  EXPECT_EQ(read_settings(dir.file("s")), s);
}

TEST(SettingsFile, ReadsTolerantly) {
  struct Case {
    const char* content;
    Settings expected;
  };
  Settings five_lines;
  five_lines.csv_path = "a";
  five_lines.xml_path = "b";
  five_lines.callsign = "c";
  Settings extra;
  extra.qsl_name = "thirteen";
  extra.hangup_on_exit = 1;
  const Case cases[] = {
      {"a\r\nb\r\nc\r\n", five_lines},  // short file: the rest empty or 0
      {"\r\n\r\n\r\n\r\n\r\n   1  \r\n\r\n\r\n\r\n\r\n\r\n\r\nthirteen\r\nfourteen\r\n", extra},
      {"\r\n\r\n\r\n\r\n\r\nyes\r\n\r\n\r\n\r\n\r\n\r\n99999\r\n\r\n", Settings{}},  // not numbers
      {"\n\n\n\n\n 1 \n\n\n\n\n\n\nthirteen\n", extra},  // bare LF line ends
  };
  TempDir dir;
  for (const Case& c : cases) {
    write_file(dir.file("s"), c.content);
    EXPECT_EQ(read_settings(dir.file("s")), c.expected) << c.content;
  }
}

TEST(SettingsFile, IsReplacedAtomicallyAndKeptPrivate) {
  TempDir dir;
  const std::string path = dir.file("qsodata.qsl");
  write_file(path, "old");
  ::chmod(path.c_str(), 0644);
  write_settings(path, Settings{});
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(SettingsFile, FailuresNameTheFile) {
  TempDir dir;
  const std::string missing = dir.file("none/qsodata.qsl");
  for (auto action : {+[](const std::string& p) { read_settings(p); },
                      +[](const std::string& p) { write_settings(p, Settings{}); }}) {
    try {
      action(missing);
      FAIL() << "no error";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find(missing), std::string::npos);
    }
  }
  // A folder where the file belongs: the rename fails, and nothing is left beside it.
  std::filesystem::create_directory(dir.file("qsodata.qsl"));
  EXPECT_THROW(write_settings(dir.file("qsodata.qsl"), Settings{}), Error);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace quillon

// The settings file: its exact layout, what the reader tolerates, what a
// failure leaves.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings.h"
#include "platform/cp932.h"
#include "support/system.h"

namespace quillon {
namespace {

using testing::read_file;
using testing::write_file;
namespace fs = std::filesystem;

TEST(SettingsFile, LayoutAndRoundTrip) {
  testing::TempDir dir;
  const Settings s{"  C:\\log\\tarnis.csv  ",
                   "x.xml",
                   " ",
                   "a,b\"c\"|<&>",
                   "/1",
                   1,
                   cp932::from_utf8("東京都千代田区丸の内１－１"),
                   "a2",
                   "a3",
                   "d",
                   "p",
                   -32768,
                   cp932::from_utf8("表示ソフト")};  // second bytes 0x5C
  write_settings(dir.file("s"), s);
  EXPECT_EQ(read_file(dir.file("s")), "  C:\\log\\tarnis.csv  \r\nx.xml\r\n \r\na,b\"c\"|<&>\r\n/1\r\n 1 \r\n" +
                                          s.address1 + "\r\na2\r\na3\r\nd\r\np\r\n-32768 \r\n" + s.qsl_name + "\r\n");
  EXPECT_EQ(read_settings(dir.file("s")), s);
  if (!testing::kWindows) {
    EXPECT_EQ(testing::permission_bits(dir.file("s")), "600");  // it holds the password
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

TEST(SettingsFile, ReadsTolerantly) {
  const std::pair<const char*, int> integers[] = {
      {" 0 ", 0},    {" 1 ", 1},       {"-1 ", -1},  {"+1", 1},  {"\t7\t", 7}, {"", 0},   {" -32768 ", -32768},
      {"-32769", 0}, {"32767", 32767}, {"32768", 0}, {"yes", 0}, {"1x", 0},    {"- 1", 0}};
  testing::TempDir dir;
  for (const auto& [line, value] : integers) {
    write_file(dir.file("s"),
               std::string("\r\n\r\n\r\n\r\n\r\n") + line + "\r\n\r\n\r\n\r\n\r\n\r\n" + line + "\r\n\r\n");
    const Settings s = read_settings(dir.file("s"));
    EXPECT_EQ(s.hangup_on_exit, value) << '"' << line << '"';
    EXPECT_EQ(s.log_search, value) << '"' << line << '"';
  }
  // A short file reads the rest as empty; lines after the 13th are ignored;
  // bare LF line ends pass.
  write_file(dir.file("s"), "a\r\nb\nc");
  EXPECT_EQ(read_settings(dir.file("s")), (Settings{"a", "b", "c", "", "", 0, "", "", "", "", "", 0, ""}));
  write_file(dir.file("s"), "\n\n\n\n\n\n\n\n\n\n\n\nthirteen\r\nfourteen\r\n");
  EXPECT_EQ(read_settings(dir.file("s")).qsl_name, "thirteen");
}

TEST(SettingsFile, FailuresNameTheFileAndLeaveNothingBeside) {
  testing::TempDir dir;
  const std::string missing = dir.file("none/qsodata.qsl"), folder = dir.file("qsodata.qsl");
  fs::create_directory(folder);  // the rename over it fails
  const std::pair<std::function<void()>, std::string> cases[] = {
      {[&] { read_settings(missing); },
       "設定ファイルを開けません: " + missing + " (" + testing::kWords.no_folder + ")"},
      {[&] { write_settings(missing, {}); },
       "設定ファイルを作成できません: " + missing + " (" + testing::kWords.no_folder + ")"},
      {[&] { write_settings(folder, {}); },
       "設定ファイルを書き込めません: " + folder + " (" + testing::kWords.is_folder + ")"}};
  for (const auto& [action, message] : cases) EXPECT_EQ(testing::error_of(action), message);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace quillon

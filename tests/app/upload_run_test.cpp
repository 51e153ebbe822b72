// The upload run with the real reader and writer, a scripted internet layer and
// a recording window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/upload_run.h"
#include "support/fake_internet.h"
#include "support/fake_windows.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::FakeInternet;
using testing::ScriptedClock;
using testing::sjis;

constexpr const char* kConnecting = "   Varnelに接続処理中です >>";
constexpr const char* kDone = " --アップロード正常終了しました!--";

// One exported contact; `call` goes into field 2.
std::string record(const std::string& call, const std::string& field9 = "599") {
  return ",\"" + call + "\",\"3\",,,,,," + field9 +
         ",579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,\"RIG-1\",\"DP\",,,\"\",,,,"
         "\"TNX\",\r\n";
}

std::size_t count(const std::string& hay, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + 1)) ++n;
  return n;
}

class Run : public ::testing::Test {
 protected:
  Run() {
    state.format_tag = kFormatTag;
    state.remote_ext = kRemoteExt;
    state.settings.csv_path = dir.file("tarnis.csv");
    state.settings.xml_path = dir.file("qsoupdata.xml");
    state.settings.callsign = "Q1AAA";
    state.settings.server_password = "secret";
    state.ftp.bar().Target(&view.picture);
    FtpEnv env = ftp_env(state, view, services);
    ftpinit(env);
  }
  RunOutcome run() { return cmdOK_Click(state, view, services); }

  const std::vector<std::string> run_start = {
      std::string("status:") + kConnecting, "repaint", "disable:cmdOK", "disable:Cmdcancel",
      "disable:Command1"};
  const std::vector<std::string> buttons_back = {"enable:cmdOK", "enable:Cmdcancel",
                                                 "enable:Command1"};

  std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  bool connected() const {
    return std::count(inet.calls.begin(), inet.calls.end(), "connect") > 0;
  }

  testing::TempDir dir;
  AppState state;
  testing::FakeMainView view;
  FakeInternet inet;
  ScriptedClock clock{{{2024, 1, 1, 12, 0, 0}}};
  RunServices services{inet, clock, "ftp.test.example", 21};
};

TEST_F(Run, MissingLogIsReportedWithItsPath) {
  testing::write_file(state.settings.xml_path, "old");
  state.log.log_count = 7;
  EXPECT_EQ(run(), RunOutcome::NoLog);
  std::vector<std::string> expected = run_start;
  expected.push_back("message:File not Found " + state.settings.csv_path);
  EXPECT_THAT(view.events, ::testing::ElementsAreArray(concat(expected, buttons_back)));
  EXPECT_EQ(view.messages.back(), sjis("File not Found ") + state.settings.csv_path);
  EXPECT_EQ(view.status_utf8(), kConnecting);
  EXPECT_EQ(state.log.log_count, 0);
  EXPECT_FALSE(connected());
  EXPECT_EQ(testing::read_file(state.settings.xml_path), "old");
}

TEST_F(Run, EmptyPathAndDirectoryCountAsMissing) {
  for (const std::string& path : {std::string(), dir.path().string()}) {
    view.events.clear();
    view.messages.clear();
    state.settings.csv_path = path;
    EXPECT_EQ(run(), RunOutcome::NoLog);
    EXPECT_THAT(view.messages_utf8(), ElementsAre("File not Found " + path));
    EXPECT_TRUE(view.all_enabled());
  }
  EXPECT_FALSE(connected());
}

TEST_F(Run, GoodRunUploadsTheDocumentItWrote) {
  testing::write_file(state.settings.csv_path, record("Q2BBB") + record("Q3CCC"));
  EXPECT_EQ(run(), RunOutcome::Uploaded);
  ASSERT_EQ(inet.puts.size(), 1u);
  const std::string sent = inet.puts[0].local_bytes.value_or("");
  EXPECT_EQ(sent, testing::read_file(state.settings.xml_path));
  EXPECT_EQ(count(sent, "<qso_record>"), 2u);
  EXPECT_THAT(sent, HasSubstr(std::string(kXmlDeclaration) + "\r\n<putqsodata_body>\r\n"));
  EXPECT_EQ(inet.puts[0].remote_path, "/log/Q1AAA.20240101120000.Varnel_System_format.Ver.qso");
  EXPECT_EQ(view.status_utf8(), kDone);
  EXPECT_TRUE(view.all_enabled());
  EXPECT_EQ(state.ftp.failed_stage, "");
  EXPECT_THAT(std::vector<std::string>(view.events.begin(), view.events.begin() + 5),
              ::testing::ElementsAreArray(run_start));
  EXPECT_THAT(view.messages, IsEmpty());
}

TEST_F(Run, PathsInTheSettingsAreCp932WhileTheFileSystemNamesInUtf8) {
  // A folder chosen in the settings dialog: stored as CP932, named in UTF-8 on disk.
  const std::filesystem::path folder = dir.path() / "ログ";
  std::filesystem::create_directory(folder);
  testing::write_file((folder / "tarnis.csv").string(), record("Q2BBB"));
  state.settings.csv_path = sjis((folder / "tarnis.csv").string());
  state.settings.xml_path = sjis((folder / "qsoupdata.xml").string());
  EXPECT_EQ(run(), RunOutcome::Uploaded);
  EXPECT_THAT(view.messages, IsEmpty());
  ASSERT_EQ(inet.puts.size(), 1u);
  EXPECT_EQ(inet.puts[0].local_path, (folder / "qsoupdata.xml").string());
  EXPECT_EQ(count(inet.puts[0].local_bytes.value_or(""), "<qso_record>"), 1u);
  EXPECT_EQ(view.status_utf8(), kDone);
}

TEST_F(Run, TwoRunsInARowEachStartFromAnEmptyLog) {
  testing::write_file(state.settings.csv_path, record("Q2BBB") + record("Q3CCC") + record("Q4DDD"));
  EXPECT_EQ(run(), RunOutcome::Uploaded);
  testing::write_file(state.settings.csv_path, record("Q5EEE"));
  EXPECT_EQ(run(), RunOutcome::Uploaded);
  ASSERT_EQ(inet.puts.size(), 2u);
  const std::string second = inet.puts[1].local_bytes.value_or("");
  EXPECT_EQ(count(second, "<qso_record>"), 1u);
  EXPECT_THAT(second, HasSubstr("Q5EEE"));
  EXPECT_EQ(second.find("Q2BBB"), std::string::npos);
  EXPECT_EQ(state.log.log_count, 1);
}

TEST_F(Run, AllRecordsDroppedStillUploadsAHeadAndEmptyBody) {
  std::string dropped = record("Q2BBB");
  dropped.replace(dropped.find(",,,\"\","), 6, ",,,\"N\",");
  testing::write_file(state.settings.csv_path, dropped);
  EXPECT_EQ(run(), RunOutcome::Uploaded);
  ASSERT_EQ(inet.puts.size(), 1u);
  EXPECT_EQ(count(*inet.puts[0].local_bytes, "\r\n"), 24u);
  EXPECT_EQ(view.status_utf8(), kDone);
}

TEST_F(Run, ReaderFailureIsReportedAndNothingIsSent) {
  testing::write_file(state.settings.xml_path, "old");
  testing::write_file(state.settings.csv_path, "1,2,3,4,5\r\n");  // ends inside a record
  EXPECT_EQ(run(), RunOutcome::LogRefused);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages_utf8()[0], "ログファイルがレコードの途中で終わっています: " +
                                         state.settings.csv_path + " (レコード 1、35項目に足りません)");
  EXPECT_THAT(view.events, ::testing::ElementsAreArray(concat(
                               concat(run_start, {"message:" + view.messages_utf8()[0]}),
                               buttons_back)));
  EXPECT_EQ(view.status_utf8(), kConnecting);
  EXPECT_FALSE(connected());
  EXPECT_EQ(testing::read_file(state.settings.xml_path), "old");
}

TEST_F(Run, ConversionFailureIsReportedAndNothingIsSent) {
  testing::write_file(state.settings.xml_path, "old");
  testing::write_file(state.settings.csv_path, record("Q2BBB") + record("Q3CCC", "\"abc\""));
  EXPECT_EQ(run(), RunOutcome::NotWritten);
  EXPECT_THAT(view.messages_utf8(), ElementsAre("ログの値を整数に変換できません: " + state.settings.csv_path +
                                                " (レコード 2、項目 9、値 \"abc\")"));
  EXPECT_TRUE(view.all_enabled());
  EXPECT_EQ(view.cursor, Cursor::Default);
  EXPECT_FALSE(connected());
  EXPECT_EQ(testing::read_file(state.settings.xml_path), "old");
}

TEST_F(Run, UnwritableDocumentIsReportedAndNothingIsSent) {
  testing::write_file(state.settings.csv_path, record("Q2BBB"));
  state.settings.xml_path = dir.file("missing-folder/qsoupdata.xml");
  EXPECT_EQ(run(), RunOutcome::NotWritten);
  EXPECT_THAT(view.messages_utf8(), ElementsAre("出力ファイルを作成できません: " + state.settings.xml_path));
  EXPECT_TRUE(view.all_enabled());
  EXPECT_FALSE(connected());
}

TEST_F(Run, FailedConnectionIsReportedByErrchk) {
  testing::write_file(state.settings.csv_path, record("Q2BBB"));
  inet.connect_error = platform::inet_error::kCannotConnect;
  EXPECT_EQ(run(), RunOutcome::NotConnected);
  EXPECT_THAT(view.messages_utf8(), ElementsAre("転送に失敗しました。再処理して下さい。"));
  EXPECT_EQ(view.status_utf8(), "異常終了。再処理して下さい...");
  EXPECT_TRUE(view.all_enabled());
  EXPECT_FALSE(view.picture_visible);
  EXPECT_EQ(view.cursor, Cursor::Default);
  EXPECT_EQ(state.ftp.failed_stage, "");
}

TEST_F(Run, FailedCloseLeavesTheButtonsDisabled) {
  testing::write_file(state.settings.csv_path, record("Q2BBB"));
  inet.close_outcomes = {{false, platform::inet_error::kExtendedError}};
  EXPECT_EQ(run(), RunOutcome::NotClosed);
  EXPECT_THAT(view.messages_utf8(), ElementsAre("切断に失敗しました。"));
  EXPECT_TRUE(view.none_enabled());
  EXPECT_EQ(state.ftp.failed_stage, "");
}

TEST_F(Run, AfterAFailedTransferTheNextRunClosesTheOldConnectionFirst) {
  testing::write_file(state.settings.csv_path, record("Q2BBB"));
  inet.put_error = platform::inet_error::kConnectionAborted;
  EXPECT_EQ(run(), RunOutcome::NotStored);
  EXPECT_TRUE(view.all_enabled());
  const platform::InetHandle left = state.ftp.connection_handle;
  ASSERT_NE(left, 0u);
  inet.put_error.reset();
  inet.calls.clear();
  EXPECT_EQ(run(), RunOutcome::Uploaded);
  EXPECT_THAT(inet.calls, ElementsAre("close", "connect", "put_file", "close"));
  EXPECT_EQ(inet.closed.front(), left);
  EXPECT_EQ(view.status_utf8(), kDone);
}

}  // namespace
}  // namespace quillon

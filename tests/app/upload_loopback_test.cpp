// The whole upload run against a real FTP server on 127.0.0.1, through the
// libcurl layer, with a recording window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/upload_run.h"
#include "support/fake_internet.h"
#include "support/fake_windows.h"
#include "support/ftp_server.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::FakeMainView;
using testing::FakeView;
using testing::FtpServer;
using testing::read_file;
using testing::ScriptedClock;
using testing::write_file;

constexpr const char* kRemote = "/log/Q1AAA.20240203090507.Varnel_System_format.Ver.qso";
constexpr const char* kTransferReport = "転送に失敗しました。再処理して下さい。";

std::string log_of(int records) {
  std::string csv;
  for (int i = 0; i < records; ++i)
    csv += ",\"JA1ZZZ\",,,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,"
           "\"RIG-1\",\"DP\",,,\"\",,,,\"\x83\x65\x83\x58\x83\x67 TNX FB QSO 73\",\r\n";
  return csv;
}

class Loopback : public ::testing::Test {
 protected:
  explicit Loopback(FtpServer::Options options = {}) : server(options) {
    state.format_tag = kFormatTag;
    state.remote_ext = kRemoteExt;
    state.settings.csv_path = dir.file("tarnis.csv");
    state.settings.xml_path = dir.file("qsoupdata.xml");
    state.settings.callsign = "Q1AAA";
    state.settings.server_password = "secret";
    state.ftp.bar().Target(&view.picture);
    write_file(state.settings.csv_path, log_of(2000));
    FtpEnv env = ftp_env(state, view, services);
    ftpinit(env);
  }
  RunOutcome run() { return cmdOK_Click(state, view, services); }
  std::string stored() const { return server.root() + kRemote; }
  std::vector<int> bar_values() const {
    std::vector<int> v;
    for (const std::string& c : view.picture.captions) v.push_back(std::stoi(c));
    return v;
  }

  FtpServer server;
  testing::TempDir dir;
  AppState state;
  FakeMainView view;
  std::unique_ptr<platform::Internet> inet = platform::make_internet({2000, 1000, 1000, 1000});
  ScriptedClock clock{{{2024, 1, 1, 12, 0, 0}, {2024, 2, 3, 9, 5, 7}, {2024, 2, 3, 9, 5, 7}}};
  RunServices services{*inet, clock, "127.0.0.1", server.port()};
};

TEST_F(Loopback, AGoodRunStoresTheDocumentOnceUnderItsTimeStampedName) {
  EXPECT_EQ(run(), RunOutcome::Uploaded);
  EXPECT_EQ(view.status_utf8(), " --アップロード正常終了しました!--");
  EXPECT_TRUE(view.all_enabled());
  EXPECT_FALSE(view.picture_visible);
  const std::string document = read_file(state.settings.xml_path);
  EXPECT_GT(document.size(), 600u * 1024);
  EXPECT_EQ(read_file(stored()), document);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(server.root() + "/log"), {}), 1);

  const std::string log = server.log();
  EXPECT_THAT(log, HasSubstr("<- TYPE A"));
  EXPECT_THAT(log, ::testing::ContainsRegex("<- (EPRT|PORT) "));
  EXPECT_THAT(log, HasSubstr(std::string("<- STOR ") + kRemote));
  // The bar climbs to 100 during the transfer and is put back to 0 after it.
  const std::vector<int> values = bar_values();
  ASSERT_GE(values.size(), 3u);
  EXPECT_EQ(*std::max_element(values.begin(), values.end()), 100);
  EXPECT_TRUE(std::is_sorted(values.begin() + 1, values.end() - 1));
  EXPECT_EQ(values.back(), 0);
}

TEST_F(Loopback, AWrongPasswordFailsTheConnection) {
  state.settings.server_password = "wrong";
  EXPECT_EQ(run(), RunOutcome::NotConnected);
  EXPECT_EQ(view.status_utf8(), "ERROR_INTERNET_EXTENDED_ERROR:\r\n");
  EXPECT_THAT(view.messages_utf8(), ElementsAre(kTransferReport));
  EXPECT_TRUE(view.all_enabled());
  EXPECT_FALSE(std::filesystem::exists(stored()));
}

TEST_F(Loopback, NothingListeningFailsTheConnection) {
  services.ftp_port = 1;
  EXPECT_EQ(run(), RunOutcome::NotConnected);
  EXPECT_EQ(view.status_utf8(), "異常終了。再処理して下さい...");
  EXPECT_THAT(view.messages_utf8(), ElementsAre(kTransferReport));
  EXPECT_EQ(state.ftp.connection_handle, 0u);
}

struct TransferFailure {
  FtpServer::Mode mode;
  std::vector<std::uint32_t> codes;  // what the layer may honestly report
};

class FailingTransfer : public Loopback, public ::testing::WithParamInterface<TransferFailure> {
 protected:
  FailingTransfer() : Loopback({.mode = GetParam().mode}) {}
};

TEST_P(FailingTransfer, IsReportedWithItsCodeAndTheNextRunClosesTheOldConnectionFirst) {
  EXPECT_EQ(run(), RunOutcome::NotStored);
  ASSERT_EQ(view.messages.size(), 2u);
  const std::string first = FakeView::readable(view.messages[0]);
  EXPECT_THAT(first, ::testing::StartsWith(" >> アップロード中です お待ち下さい...ERROR: "));
  const std::uint32_t code = std::stoul(first.substr(first.find("ERROR: ") + 7));
  EXPECT_THAT(GetParam().codes, ::testing::Contains(code));
  EXPECT_EQ(FakeView::readable(view.messages[1]), kTransferReport);
  EXPECT_TRUE(view.all_enabled());
  EXPECT_FALSE(view.picture_visible);
  EXPECT_NE(state.ftp.connection_handle, 0u);  // left open for the next run to close

  // The next run closes the old connection before it connects again. Where the
  // server still hears the old control connection, QUIT comes before the new login.
  const platform::InetHandle old = state.ftp.connection_handle;
  const std::string before = server.log();
  clock = ScriptedClock({{2024, 1, 1, 12, 0, 0}, {2024, 2, 3, 9, 5, 8}, {2024, 2, 3, 9, 5, 8}});
  state.ftp.bar().Target(&view.picture);
  run();
  const std::string after = server.log().substr(before.size());
  const std::size_t quit = after.find("<- QUIT"), user = after.find("<- USER");
  ASSERT_NE(user, std::string::npos) << after;
  if (GetParam().mode == FtpServer::Mode::RefuseStore) {
    EXPECT_LT(quit, user) << after;
  }
  EXPECT_NE(state.ftp.connection_handle, old);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FailingTransfer,
    ::testing::Values(
        TransferFailure{FtpServer::Mode::RefuseStore, {12003}},
        TransferFailure{FtpServer::Mode::DropMidTransfer, {12003, 12030, 12031}},
        TransferFailure{FtpServer::Mode::StallTransfer, {12002}}));

}  // namespace
}  // namespace quillon

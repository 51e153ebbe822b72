// Failed transfers through the system's internet layer, against a real FTP
// server on 127.0.0.1: the run reports the layer's code and the next run closes
// the old connection before it logs in again. (A good run: tests/data/cli.)
#include <gmock/gmock.h>


#include "app/upload_run.h"
#include "support/ftp_server.h"
#include "support/scripted.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using testing::FtpServer;

constexpr const char* kTransferReport = "main message 転送に失敗しました。再処理して下さい。";

struct Loopback {
  explicit Loopback(FtpServer::Options options = {}) : server(options) {
    state.format_tag = kFormatTag;
    state.remote_ext = kRemoteExt;
    state.settings.csv_path = dir.file("tarnis.csv");
    state.settings.xml_path = dir.file("qsoupdata.xml");
    state.settings.callsign = "Q1AAA";
    state.settings.server_password = "secret";
    state.ftp.bar().Target(&view.picture1());
    std::string csv;  // 2000 records with Japanese remarks
    for (int i = 0; i < 2000; ++i)
      csv += ",\"JA1ZZZ\",,,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,\"RIG-1\",\"DP\",,,"
             "\"\",,,,\"\x83\x65\x83\x58\x83\x67 TNX FB QSO 73\",\r\n";
    testing::write_file(state.settings.csv_path, csv);
    FtpEnv env = ftp_env(state, view, services);
    ftpinit(env);
  }
  RunOutcome run() {
    t.clear();
    clock.readings = {{2024, 1, 1, 12, 0, 0}, {2024, 1, 1, 12, 0, 0}, {2024, 2, 3, 9, 5, 7}};
    return cmdOK_Click(state, view, services);
  }
  std::vector<std::string> lines(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : t)
      if (l.rfind(prefix, 0) == 0) out.push_back(l.substr(prefix.size()));
    return out;
  }

  FtpServer server;
  testing::TempDir dir;
  testing::Transcript t;
  AppState state;
  testing::RecordingMainView view{t};
  std::unique_ptr<platform::Internet> inet = platform::make_internet({2000, 1000, 1000, 1000});
  testing::ScriptedClock clock;
  RunServices services{*inet, clock, "127.0.0.1", server.port()};
};

TEST(Loopback, AGoodRunStoresTheDocumentAndTheBarReachesAHundred) {
  Loopback l;
  EXPECT_EQ(l.run(), RunOutcome::Uploaded);
  const auto bars = l.lines("main bar ");
  ASSERT_GT(bars.size(), 10u);  // it moved on the way
  EXPECT_THAT(bars, ::testing::Contains("100%"));  // then back to 0 for the next run
  EXPECT_EQ(testing::read_file(l.server.root() + "/log/Q1AAA.20240203090507.Varnel_System_format.Ver.qso"),
            testing::read_file(l.state.settings.xml_path));
}

TEST(Loopback, FailedTransfersAndTheNextRun) {
  const std::pair<std::string, std::vector<std::string>> modes[] = {
      {"refuse-store", {"12003"}},
      {"drop", {"12003", "12030", "12031"}},
      {"stall-transfer", {"12002"}}};
  for (const auto& [mode, codes] : modes) {
    SCOPED_TRACE(mode);
    if (testing::kWindows && mode == "stall-transfer") continue;  // Wine cannot end a blocked InternetWriteFile
    Loopback l({.mode = mode});
    EXPECT_EQ(l.run(), RunOutcome::NotStored);
    const auto messages = l.lines("main message ");
    ASSERT_EQ(messages.size(), 2u);
    const std::string prefix = " >> アップロード中です お待ち下さい...ERROR: ";
    ASSERT_EQ(messages[0].rfind(prefix, 0), 0u) << messages[0];
    EXPECT_THAT(codes, ::testing::Contains(messages[0].substr(prefix.size(), 5)));
    EXPECT_EQ(messages[0].substr(prefix.size() + 5), "\\r\\n\\r\\n");
    EXPECT_EQ("main message " + messages[1], kTransferReport);
    EXPECT_NE(l.state.ftp.connection_handle, 0u);  // left for the next run to close
    // The next run closes it first; where the server still hears it, QUIT
    // comes before the new login.
    const std::size_t before = l.server.log().size();
    l.run();
    const std::string after = l.server.log().substr(before);
    ASSERT_NE(after.find("<- USER"), std::string::npos) << after;
    if (mode == "refuse-store" && !testing::kWindows) {  // Wine's WinINet hangs up without QUIT
      EXPECT_LT(after.find("<- QUIT"), after.find("<- USER")) << after;
    }
  }
}

}  // namespace
}  // namespace quillon

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "app/settings.h"
#include "support/ftp_server.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using testing::FtpServer;
using testing::read_file;
using testing::TempDir;

struct Result {
  int exit_code;
  std::string out;
  std::string err;
};

class CliUpload : public ::testing::Test {
 protected:
  CliUpload() {
    Settings s;
    s.csv_path = std::string(QUILLON_TEST_DATA_DIR) + "/sample.csv";
    s.xml_path = dir.file("qsoupdata.xml");
    s.callsign = "Q1AAA";
    s.server_password = "secret";
    write_settings(dir.file("qsodata.qsl"), s);
  }
  Result run(const std::string& args) {
    const std::string out = dir.file("stdout"), err = dir.file("stderr");
    const std::string command = "XDG_CONFIG_HOME='" + dir.path().string() + "' '" QUILLON_CLI "' upload " +
                                args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(out), read_file(err)};
  }
  std::string settings_arg() const { return "--settings '" + dir.file("qsodata.qsl") + "'"; }

  TempDir dir;
};

TEST_F(CliUpload, StoresTheDocumentAndPrintsEachStatus) {
  FtpServer server;
  const Result r = run(settings_arg() + " --server 127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out,
            "   Varnelに接続処理中です >>\n >> アップロード中です お待ち下さい...\n"
            " --アップロード正常終了しました!--\n");
  EXPECT_EQ(r.err, "");
  std::vector<std::filesystem::path> stored;
  for (const auto& e : std::filesystem::directory_iterator(server.root() + "/log")) stored.push_back(e.path());
  ASSERT_EQ(stored.size(), 1u);
  const std::string name = stored[0].filename().string();
  EXPECT_EQ(name.rfind("Q1AAA.", 0), 0u) << name;
  EXPECT_EQ(name.size(), std::string("Q1AAA.20261207093000.Varnel_System_format.Ver.qso").size()) << name;
  EXPECT_EQ(read_file(stored[0].string()), read_file(dir.file("qsoupdata.xml")));
}

TEST_F(CliUpload, AFailedLoginExitsOneWithTheMessagesOnStderr) {
  FtpServer server({.password = "other"});
  const Result r = run(settings_arg() + " --server 127.0.0.1:" + std::to_string(server.port()));
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("転送に失敗しました。再処理して下さい。"), std::string::npos) << r.err;
}

TEST_F(CliUpload, MissingSettingsFailAndBadUsageExitsTwo) {
  EXPECT_EQ(run("--settings '" + dir.file("none.qsl") + "'").exit_code, 1);
  for (const char* args : {"--server", "--server 127.0.0.1:0", "--server :21", "--server h:99999", "--what"}) {
    const Result r = run(settings_arg() + " " + args);
    EXPECT_EQ(r.exit_code, 2) << args;
    EXPECT_NE(r.err.find("usage"), std::string::npos) << args;
  }
}

}  // namespace
}  // namespace quillon

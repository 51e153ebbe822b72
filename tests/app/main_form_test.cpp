// The main window's load, its buttons and the one-window flow, on fake windows.
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>

#include "app/program_fixture.h"
#include "platform/instance_lock.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::ProgramTest;
using testing::read_file;
using testing::write_file;
namespace fs = std::filesystem;

constexpr const char* kCopyright = "Copyright (C) 2026 Quillon";
constexpr const char* kSettingsFirst = "まず最初に設定を行って下さい";

TEST_F(ProgramTest, FirstStartAsksForSettingsThenWritesTheFileAndEmptiesTheWorkFile) {
  fs::create_directories(folder_);
  write_file(path("qsoupdata.xml"), "left from an earlier run");
  bool settings_existed = true, shown = true;
  toolkit.on_main = [&](testing::FakeMainView& v) {
    v.on_message_box = [&](std::string_view) {
      settings_existed = fs::exists(path("qsodata.qsl"));
      shown = v.shown;
    };
  };
  start();
  EXPECT_THAT(main().messages_utf8(), ElementsAre(kSettingsFirst));
  EXPECT_FALSE(settings_existed);
  EXPECT_FALSE(shown);  // the message comes before the window
  EXPECT_EQ(read_file(path("qsodata.qsl")), "\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n");
  EXPECT_EQ(read_file(path("qsoupdata.xml")), "");
  EXPECT_TRUE(main().shown);
}

TEST_F(ProgramTest, LoadRunsItsEightStepsInOrder) {
  Settings s;
  s.callsign = "JA1ZZZ";
  s.address1 = cp932::from_utf8("東京都千代田区");
  s.hangup_on_exit = 1;
  settings_file(s);
  Program& p = start();
  const AppState& st = p.state();
  EXPECT_THAT(main().messages, IsEmpty());
  EXPECT_EQ(st.format_tag, ".Varnel_System_format.");
  EXPECT_EQ(st.remote_ext, ".qso");
  EXPECT_EQ(st.win_dir, folder_.string());
  EXPECT_EQ(st.settings_path, path("qsodata.qsl"));
  EXPECT_EQ(st.work_xml_path, path("qsoupdata.xml"));
  EXPECT_EQ(st.settings, s);
  EXPECT_FALSE(fs::exists(path("qsoupdata.xml")));  // only the first start makes it
  EXPECT_THAT(main().events, ElementsAre("picture:hide", std::string("status:") + kCopyright, "show"));
  EXPECT_EQ(st.ftp.inet_state, "ok");
  EXPECT_THAT(inet().calls, ElementsAre("open", "set_status_callback"));
  // The bar draws on Picture1.
  p.state().ftp.bar().Value(37);
  EXPECT_EQ(main().picture.captions.back(), "37%");
}

TEST_F(ProgramTest, SettingsFolderProblemsAreReportedAndTheWindowStillOpens) {
  struct Case {
    const char* name;
    const char* directory;  // a folder where a file belongs
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"settings", "qsodata.qsl", {kSettingsFirst, "設定ファイルを保存できませんでした。"}},
      {"work file", "qsoupdata.xml", {kSettingsFirst, "作業ファイルを作成できませんでした。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder_);
    fs::create_directories(folder_ / c.directory);
    start();
    const auto got = main().messages_utf8();
    ASSERT_EQ(got.size(), c.expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_THAT(got[i], HasSubstr(c.expected[i]));
    EXPECT_THAT(got.back(), HasSubstr(c.directory));
    EXPECT_TRUE(main().shown);
    EXPECT_EQ(main().status_utf8(), kCopyright);
  }
}

TEST_F(ProgramTest, AFailedSessionIsReportedBeforeTheWindowAndRetriedAtTheNextLoad) {
  settings_file({});
  Program& p = make();
  inet().open_handle = 0;
  inet().open_error = 12029;
  p.start();
  EXPECT_THAT(main().messages_utf8(), ElementsAre("INet-Handleのopen失敗 GetLastError() =12029",
                                                  "初期化に失敗しました。再処理して下さい。"));
  EXPECT_EQ(main().beeps, 1);
  EXPECT_EQ(p.state().ftp.failed_stage, "");
  EXPECT_TRUE(main().shown);

  inet().open_handle = 0x100;
  for (int round = 0; round < 2; ++round) {
    main().events.clear();
    p.open_settings();
    dialog().form().Command2_Click();
  }
  // Opened on the first reload, left alone on the second.
  EXPECT_EQ(p.state().ftp.inet_state, "ok");
  EXPECT_EQ(std::count(inet().calls.begin(), inet().calls.end(), "open"), 2);
}

TEST_F(ProgramTest, ASecondInstanceSaysSoAndTouchesNoFile) {
  fs::create_directories(folder_);
  auto first = platform::InstanceLock::acquire(Program::lock_path());
  ASSERT_NE(first, nullptr);
  Program& p = make();
  EXPECT_FALSE(p.start());
  EXPECT_THAT(main().messages_utf8(), ElementsAre("Quillonは既に起動しています!!"));
  EXPECT_FALSE(main().shown);
  EXPECT_TRUE(main().closed);
  EXPECT_EQ(p.main_window(), nullptr);
  EXPECT_TRUE(p.ended());
  EXPECT_EQ(toolkit.quits, 1);
  EXPECT_THAT(inet().calls, IsEmpty());
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder_)) names.push_back(e.path().filename());
  EXPECT_THAT(names, ElementsAre("quillon.lock"));
}

TEST_F(ProgramTest, ExitReleasesTheBarAndHangsUpOnlyWhenTheSettingIsOne) {
  for (int setting : {-1, 0, 1, 2}) {
    SCOPED_TRACE(setting);
    Settings s;
    s.hangup_on_exit = static_cast<std::int16_t>(setting);
    settings_file(s);
    toolkit.quits = 0;
    Program& p = start();
    testing::FakeMainView& w = main();
    w.form->cmdCancel_Click();
    EXPECT_EQ(inet().hangups, setting == 1 ? std::vector<std::uint32_t>{0} : std::vector<std::uint32_t>{});
    EXPECT_EQ(p.state().ftp.progress_bar, nullptr);
    EXPECT_TRUE(w.closed);
    EXPECT_EQ(p.main_window(), nullptr);
    EXPECT_EQ(toolkit.quits, 1);
    EXPECT_EQ(toolkit.open_windows(), 0);
  }
}

TEST_F(ProgramTest, TheCloseBoxEndsTheProgramWithoutTheExitSteps) {
  Settings s;
  s.hangup_on_exit = 1;
  settings_file(s);
  Program& p = start();
  main().form->closed_by_user();
  EXPECT_EQ(toolkit.quits, 1);
  EXPECT_THAT(inet().hangups, IsEmpty());
  ASSERT_NE(p.state().ftp.progress_bar, nullptr);  // not released
  EXPECT_EQ(p.main_window(), nullptr);
  EXPECT_EQ(toolkit.open_windows(), 0);
  // Picture1 is gone: the bar no longer draws on it.
  const std::size_t drawn = main().picture.captions.size();
  EXPECT_THROW(p.state().ftp.bar().Value(5), Error);
  EXPECT_EQ(main().picture.captions.size(), drawn);
}

TEST_F(ProgramTest, OneWindowAtATimeAroundTheSettingsDialog) {
  settings_file({});
  Program& p = start();
  EXPECT_EQ(toolkit.open_windows(), 1);
  p.open_settings();
  EXPECT_TRUE(dialog().shown);
  EXPECT_TRUE(toolkit.mains[0]->closed);
  EXPECT_EQ(p.main_window(), nullptr);
  EXPECT_EQ(toolkit.open_windows(), 1);
  // The main window's reload runs while the dialog still stands.
  int during_load = -1;
  toolkit.on_main = [&](testing::FakeMainView& v) {
    v.on_message_box = nullptr;
    during_load = toolkit.open_windows();
  };
  dialog().form().Command2_Click();
  EXPECT_EQ(during_load, 2);
  EXPECT_TRUE(dialog().closed);
  ASSERT_EQ(toolkit.mains.size(), 2u);
  EXPECT_TRUE(main().shown);
  EXPECT_EQ(main().events.front(), "picture:hide");
  EXPECT_EQ(toolkit.open_windows(), 1);
  EXPECT_EQ(toolkit.quits, 0);
}

}  // namespace
}  // namespace quillon

// The settings dialog's load, checks, save and browse buttons, on fake windows.
#include <gmock/gmock.h>

#include <functional>
#include <optional>

#include "app/program_fixture.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::FakeSettingsView;
using testing::read_file;
using B = SettingsBox;

std::string sjis(const char* utf8) { return cp932::from_utf8(utf8); }

// Each text box with the setting it shows.
std::vector<std::pair<B, std::string*>> boxes_of(Settings& s) {
  return {{B::FrmsetteiftpText1, &s.csv_path}, {B::FRMsetteiftpText2, &s.xml_path},
          {B::frmsetteiftpText3, &s.callsign}, {B::frmsetteiftpText4, &s.server_password},
          {B::settei_my_portable, &s.my_portable}, {B::settei_ad1, &s.address1},
          {B::settei_ad2, &s.address2},        {B::settei_ad3, &s.address3},
          {B::settei_design_no, &s.design_no}, {B::settei_path, &s.qsl_path},
          {B::settei_name, &s.qsl_name}};
}

class Dialog : public testing::ProgramTest {
 protected:
  // A program started on `s`, its dialog open.
  FakeSettingsView& open(const Settings& s) {
    settings_file(s);
    start().open_settings();
    return dialog();
  }
  static Settings filled() {
    Settings s;
    s.csv_path = "/data/tarnis.csv";
    s.xml_path = "/data/qsoupdata.xml";
    s.callsign = "JA1ZZZ";
    s.server_password = "pass";
    s.my_portable = "/1";
    s.address1 = sjis("東京都");
    s.qsl_name = sjis("山田 太郎");
    return s;
  }
  const Settings& settings() { return program().state().settings; }
};

TEST_F(Dialog, AfterTheFirstStartThePathsDefaultAndOkAsksForTheCallsign) {
  start();
  program().open_settings();
  FakeSettingsView& d = dialog();
  EXPECT_EQ(d.text(B::FrmsetteiftpText1), "tarnis.csv");
  EXPECT_EQ(d.text(B::FRMsetteiftpText2), "qsoupdata.xml");
  EXPECT_EQ(settings().csv_path, "tarnis.csv");
  EXPECT_EQ(settings().xml_path, "qsoupdata.xml");
  d.form().Command1_Click();
  EXPECT_THAT(d.messages, ElementsAre("コールサインを入力して下さい"));
}

TEST_F(Dialog, LoadFillsEveryControlFromTheSettings) {
  Settings s = filled();
  s.hangup_on_exit = 1;
  s.address2 = sjis("港区");
  s.address3 = "1-2-3";
  s.design_no = "7";
  s.qsl_path = "/cards";
  s.log_search = 1;
  s.qsl_name = sjis("名前");
  FakeSettingsView& d = open(s);
  for (const auto& [box, value] : boxes_of(s)) EXPECT_EQ(d.text(box), *value) << static_cast<int>(box);
  EXPECT_TRUE(d.checked(SettingsCheck::Check_kiru));
  EXPECT_TRUE(d.checked(SettingsCheck::settei_log_Check));
  EXPECT_TRUE(d.shown);
  // A check box shows only 1 as ticked.
  s.hangup_on_exit = 2;
  s.log_search = 0;
  FakeSettingsView& again = open(s);
  EXPECT_FALSE(again.checked(SettingsCheck::Check_kiru));
  EXPECT_FALSE(again.checked(SettingsCheck::settei_log_Check));
}

struct CheckCase {
  const char* name;
  std::function<void(FakeSettingsView&)> edit;
  const char* message;
  std::optional<B> focused;  // where the focus goes for an unstorable box
};

TEST_F(Dialog, TheFirstFailingCheckSpeaksAndNothingIsWrittenOrCopied) {
  const CheckCase cases[] = {
      {"input cleared", [](auto& d) { d.type(B::FrmsetteiftpText1, ""); }, "入力ファイルを設定して下さい", {}},
      {"both paths cleared",
       [](auto& d) {
         d.type(B::FrmsetteiftpText1, "");
         d.type(B::FRMsetteiftpText2, "");
       },
       "入力ファイルを設定して下さい", {}},
      {"output cleared", [](auto& d) { d.type(B::FRMsetteiftpText2, ""); }, "出力ファイルを設定して下さい", {}},
      {"callsign cleared", [](auto& d) { d.type(B::frmsetteiftpText3, ""); }, "コールサインを入力して下さい", {}},
      {"password cleared", [](auto& d) { d.type(B::frmsetteiftpText4, ""); }, "サーバパスワードを入力して下さい", {}},
      {"callsign before password",
       [](auto& d) {
         d.type(B::frmsetteiftpText3, "");
         d.type(B::frmsetteiftpText4, "");
       },
       "コールサインを入力して下さい", {}},
      {"unstorable address", [](auto& d) { d.type_unstorable(B::settei_ad1); },
       "「Address1」に Shift-JIS (CP932) で保存できない文字があります。", B::settei_ad1},
      {"unstorable name", [](auto& d) { d.type_unstorable(B::settei_name); }, "「Your QSL Name」", B::settei_name},
      {"unstorable callsign is not empty", [](auto& d) { d.type_unstorable(B::frmsetteiftpText3); },
       "「コールサイン」", B::frmsetteiftpText3},
      {"unstorable input path", [](auto& d) { d.type_unstorable(B::FrmsetteiftpText1); },
       "「1.入力ファイル(CSV)」", B::FrmsetteiftpText1},
      {"empty check before unstorable",
       [](auto& d) {
         d.type_unstorable(B::settei_ad1);
         d.type(B::frmsetteiftpText4, "");
       },
       "サーバパスワードを入力して下さい", {}},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSettingsView& d = open(filled());
    const std::string before = read_file(path("qsodata.qsl"));
    c.edit(d);
    const Settings in_memory = settings();
    d.form().Command1_Click();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_THAT(d.messages[0], HasSubstr(c.message));
    if (c.focused) {
      EXPECT_EQ(d.focused, *c.focused);
    }
    EXPECT_EQ(read_file(path("qsodata.qsl")), before);
    EXPECT_FALSE(d.closed);
    EXPECT_EQ(program().main_window(), nullptr);
    EXPECT_EQ(settings(), in_memory);  // nothing copied from the boxes
  }
}

TEST_F(Dialog, APathBoxKeepsItsLastStorableValueWhileTyping) {
  FakeSettingsView& d = open(filled());
  d.type(B::FrmsetteiftpText1, "/logs/a");
  EXPECT_EQ(settings().csv_path, "/logs/a");
  d.type_unstorable(B::FrmsetteiftpText1);
  EXPECT_EQ(settings().csv_path, "/logs/a");
  d.type(B::FRMsetteiftpText2, sjis("/出力/b.xml"));
  EXPECT_EQ(settings().xml_path, sjis("/出力/b.xml"));
  d.type_unstorable(B::FRMsetteiftpText2);
  EXPECT_EQ(settings().xml_path, sjis("/出力/b.xml"));
}

TEST_F(Dialog, OkSavesAllThirteenValuesAndTheMainWindowRereadsTheFile) {
  FakeSettingsView& d = open({});
  Settings expected;
  expected.csv_path = "/data/log.csv";
  expected.xml_path = "/data/out.xml";
  expected.callsign = " ";  // a blank passes
  expected.server_password = "p,a \"s\"";
  expected.my_portable = "/2";
  expected.hangup_on_exit = 1;
  expected.address1 = sjis("東京都千代田区");
  expected.address2 = sjis("ｶﾀｶﾅ");
  expected.address3 = " 3-4 ";
  expected.design_no = "12";
  expected.qsl_path = "/cards";
  expected.log_search = 1;
  expected.qsl_name = sjis("山田 太郎");
  for (const auto& [box, value] : boxes_of(expected)) d.type(box, *value);
  d.tick(SettingsCheck::Check_kiru, true);
  d.tick(SettingsCheck::settei_log_Check, true);

  std::string file_at_message;
  bool open_at_message = false;
  Settings changed = expected;
  changed.qsl_name = "changed on disk";
  d.on_message = [&] {
    file_at_message = read_file(path("qsodata.qsl"));
    open_at_message = !d.closed;
    settings_file(changed);  // proves the main window reads the file
  };
  d.form().Command1_Click();
  EXPECT_THAT(d.messages, ElementsAre("設定を更新しました。"));
  testing::TempDir other;
  write_settings(other.file("expected"), expected);
  EXPECT_EQ(file_at_message, read_file(other.file("expected")));
  EXPECT_TRUE(open_at_message);
  EXPECT_TRUE(d.closed);
  ASSERT_NE(program().main_window(), nullptr);
  EXPECT_TRUE(main().shown);
  EXPECT_EQ(main().status_utf8(), "Copyright (C) 2026 Quillon");
  EXPECT_EQ(settings(), changed);
}

TEST_F(Dialog, CancelBringsBackTheValuesOfTheFile) {
  FakeSettingsView& d = open(filled());
  const std::string before = read_file(path("qsodata.qsl"));
  d.type(B::FrmsetteiftpText1, "/data/tarnis.csv-typed");
  EXPECT_EQ(settings().csv_path, "/data/tarnis.csv-typed");
  d.type(B::settei_ad1, "elsewhere");
  d.form().Command2_Click();
  EXPECT_THAT(d.messages, IsEmpty());
  EXPECT_EQ(read_file(path("qsodata.qsl")), before);
  EXPECT_TRUE(d.closed);
  EXPECT_TRUE(main().shown);
  EXPECT_EQ(settings(), filled());
}

TEST_F(Dialog, TheCloseBoxEndsTheProgramWithoutSaving) {
  FakeSettingsView& d = open(filled());
  const std::string before = read_file(path("qsodata.qsl"));
  d.type(B::frmsetteiftpText3, "OTHER");
  d.form().closed_by_user();
  EXPECT_EQ(toolkit.quits, 1);
  EXPECT_EQ(program().settings_dialog(), nullptr);
  EXPECT_EQ(program().main_window(), nullptr);
  EXPECT_EQ(toolkit.open_windows(), 0);
  EXPECT_EQ(read_file(path("qsodata.qsl")), before);
}

TEST_F(Dialog, AFailedSaveIsReportedAndTheDialogStays) {
  FakeSettingsView& d = open(filled());
  // A folder where the file should be: no writer can replace it.
  std::filesystem::remove(path("qsodata.qsl"));
  std::filesystem::create_directory(path("qsodata.qsl"));
  d.form().Command1_Click();
  ASSERT_EQ(d.messages.size(), 1u);
  EXPECT_THAT(d.messages[0], HasSubstr("設定ファイルを保存できませんでした。"));
  EXPECT_THAT(d.messages[0], HasSubstr("qsodata.qsl"));
  EXPECT_FALSE(d.closed);
  EXPECT_EQ(program().main_window(), nullptr);
  EXPECT_EQ(settings().callsign, filled().callsign);
}

TEST_F(Dialog, OneFileDialogServesBothButtonsAndKeepsItsName) {
  FakeSettingsView& d = open(filled());
  d.answers = {"/in/mylog.csv", "", "/out/out.xml", "<unstorable>"};
  d.form().path_sw1_Click();
  EXPECT_EQ(d.text(B::FrmsetteiftpText1), "/in/mylog.csv");
  EXPECT_EQ(settings().csv_path, "/in/mylog.csv");
  // The other row's dialog opens on the file just chosen; cancelling it
  // leaves the output path alone.
  d.form().path_sw2_Click();
  EXPECT_EQ(settings().xml_path, "/data/qsoupdata.xml");
  d.form().path_sw2_Click();
  EXPECT_EQ(settings().xml_path, "/out/out.xml");
  EXPECT_EQ(d.text(B::FRMsetteiftpText2), "/out/out.xml");
  EXPECT_THAT(d.messages, IsEmpty());
  // A name CP932 cannot hold is refused and named with its row.
  d.form().path_sw1_Click();
  EXPECT_THAT(d.messages, ElementsAre(HasSubstr("「1.入力ファイル(CSV)」")));
  EXPECT_EQ(settings().csv_path, "/in/mylog.csv");
  EXPECT_THAT(d.opened_on, ElementsAre("", "/in/mylog.csv", "/in/mylog.csv", "/out/out.xml"));
  // A new opening of the dialog starts with a new file dialog.
  program().open_main();
  program().open_settings();
  dialog().form().path_sw1_Click();
  EXPECT_THAT(dialog().opened_on, ElementsAre(""));
}

}  // namespace
}  // namespace quillon

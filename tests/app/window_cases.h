#pragma once
// What both toolkits' windows must show, checked through WindowProbe. The file
// that includes this defines WindowTest, the ProgramFixture of its toolkit.
#include <gmock/gmock.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/forms.h"
#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "platform/file_lock.h"
#include "platform/inet.h"
#include "support/ftp_server.h"
#include "support/program_fixture.h"
#include "support/system.h"

namespace quillon::testing {

// The window written as its table in tests/data/windows writes it, for the
// controls the table names: the table without its comments comes back.
inline void check_table(WindowProbe& w, const std::string& table) {
  std::istringstream in(read_file(std::string(QUILLON_TEST_DATA_DIR) + "/windows/" + table));
  std::string want, got = w.window_row();
  std::string tab = w.focused();
  for (std::string n = w.next_in_tab_order(tab); n != w.focused() && tab.size() < 1000; n = w.next_in_tab_order(n))
    tab += " " + n;
  got += "@tab\t" + tab + "\n";
  const auto dash = [](const std::string& s) { return s.empty() ? "-" : s; };
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    want += line + "\n";
    const std::string name = line.substr(0, line.find('\t'));
    if (name[0] == '@') continue;
    const std::optional<ControlView> c = w.control(name);
    if (!c) {
      got += name + " missing\n";
      continue;
    }
    got += name + "\t" + std::to_string(c->x) + " " + std::to_string(c->y) + " " + std::to_string(c->w) + " " +
           std::to_string(c->h) + "\t" + dash(c->text) + "\t" + dash(c->font) + "\t" +
           (c->font.empty() ? "-" : std::to_string(c->pixels)) + "\t" + dash(c->tooltip) +
           (c->visible ? "" : "\thidden") + (c->bold_italic ? "\tbold-italic" : "") + (c->masked ? "\tmasked" : "") +
           (c->default_button ? "\tdefault" : "") + (c->enabled ? "\n" : "\tdisabled\n");
  }
  EXPECT_EQ(got, want) << table;
}

TEST_F(WindowTest, BothWindowsAsTheTablesLayThemDown) {
  start({});
  const auto main = probe_main();
  check_table(*main, "frmstartftp.tsv");
  EXPECT_EQ(program().main_window()->label3_caption(), kXmlDeclaration);
  // Picture1 covers the banner while it shows.
  program().main_window()->set_picture_visible(true);
  EXPECT_EQ(main->control_at(30, 55), "Picture1");
  program().main_window()->set_picture_visible(false);
  EXPECT_EQ(main->control_at(30, 55), "Label1");

  open_dialog();
  EXPECT_EQ(program().main_window(), nullptr);
  const auto dialog = probe_dialog();
  check_table(*dialog, "Frmsetteiftp.tsv");
  // Each name of the focus order is a control the dialog holds: on Qt its
  // controls are made in that order, so a lost name would change nothing seen.
  for (const char* name : form::kFrmsetteiftp.tab_order) EXPECT_TRUE(dialog->control(name)) << name;
}

TEST_F(WindowTest, TextsCrossTheEdgeAsCodePage932) {
  start({});
  MainView& w = *program().main_window();
  const auto main = probe_main();
  const std::string sjis = cp932::from_utf8(" >> アップロード中です お待ち下さい...");
  w.set_status(sjis);
  EXPECT_EQ(main->control("ip_status")->text, " >> アップロード中です お待ち下さい...");
  EXPECT_EQ(w.status(), sjis);
  // Bytes that are no CP932 (a server's reply) are shown, and kept as they came.
  w.set_status(std::string("ok \x82", 4));
  EXPECT_EQ(w.status(), std::string("ok \x82", 4));
  EXPECT_EQ(main->control("ip_status")->text, "ok \uFFFD");
  main->type("ip_status", "手入力");  // what the user typed is read back
  EXPECT_EQ(w.status(), cp932::from_utf8("手入力"));
  w.message_box(cp932::from_utf8("転送に失敗しました。再処理して下さい。"));
  EXPECT_THAT(messages, ::testing::ElementsAre("転送に失敗しました。再処理して下さい。"));

  open_dialog();
  ASSERT_NE(program().settings_dialog(), nullptr);
  SettingsView& d = *program().settings_dialog();
  const auto dialog = probe_dialog();
  d.set_text(SettingsBox::settei_ad1, cp932::from_utf8("東京都①"));
  EXPECT_EQ(dialog->control("settei_ad1")->text, "東京都①");
  EXPECT_EQ(d.text(SettingsBox::settei_ad1), cp932::from_utf8("東京都①"));
  dialog->type("settei_ad2", "x😀");
  EXPECT_EQ(testing::failure_of([&] { d.text(SettingsBox::settei_ad2); }), Failed::Encoding);
  d.set_checked(SettingsCheck::settei_log_Check, true);
  EXPECT_TRUE(d.checked(SettingsCheck::settei_log_Check));
  EXPECT_FALSE(d.checked(SettingsCheck::Check_kiru));
  dialog->type("FrmsetteiftpText1", "C:\\ログ\\tarnis.csv");  // reaches the settings at once
  EXPECT_EQ(program().state().settings.csv_path, cp932::from_utf8("C:\\ログ\\tarnis.csv"));
  // Enter and Esc press no button: ＯＫ would ask for the callsign.
  dialog->press_enter_and_escape("frmsetteiftpText3");
  settle();
  EXPECT_EQ(messages.size(), 1u);
  ASSERT_EQ(program().settings_dialog(), &d);
  dialog->click("Command1");
  EXPECT_EQ(messages.back(), "コールサインを入力して下さい");
}

TEST_F(WindowTest, TheCloseBoxesEndTheProgram) {
  start({});
  probe_main()->close();
  EXPECT_EQ(quits, 1);
  EXPECT_TRUE(program().ended());
  settle();

  start({});
  const std::string saved = read_file((folder_ / "qsodata.qsl").string());
  open_dialog();
  probe_dialog()->type("frmsetteiftpText3", "JA1ZZZ");
  probe_dialog()->close();
  EXPECT_EQ(quits, 2);
  settle();
  EXPECT_EQ(read_file((folder_ / "qsodata.qsl").string()), saved);  // nothing saved
}

TEST_F(WindowTest, OneClickUploadsToTheLoopbackServer) {
  FtpServer server;
  TempDir data;
  write_file(data.file("tarnis.csv"), read_file(std::string(QUILLON_TEST_DATA_DIR) + "/sample.csv"));
  const Settings s{
      data.file("tarnis.csv"), data.file("qsoupdata.xml"), "Q1AAA", "secret", "", 0, "", "", "", "", "", 0, ""};
  start(s, platform::make_internet(), server.port());
  const auto main = probe_main();
  main->click("cmdOK");
  EXPECT_THAT(messages, ::testing::IsEmpty());
  EXPECT_EQ(main->control("ip_status")->text, " --アップロード正常終了しました!--");
  for (const char* b : {"cmdOK", "Command1", "Cmdcancel"}) EXPECT_TRUE(main->control(b)->enabled) << b;
  EXPECT_FALSE(main->control("Picture1")->visible);
  const std::string stored = server.root() + "/log/Q1AAA.20020103090507.Varnel_System_format.Ver.qso";
  EXPECT_EQ(read_file(stored), read_file(s.xml_path));
}

// A log sent once and pressed again, against the loopback server: the box
// and its answers, what the server holds after each.
// A network that stops the server's connection back: the window stores in
// passive mode on its own, says nothing of the refused try, and starts in
// passive mode at that server from then on.
TEST_F(WindowTest, TheWindowStoresInPassiveModeWhenTheServerCannotConnectBack) {
  FtpServer::Options refusing;
  refusing.mode = "refuse-active";
  FtpServer server(refusing);
  TempDir data;
  const auto log = [&](const char* call) {
    write_file(data.file("tarnis.csv"), std::string(",\"") + call +
                                            "\",,,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,"
                                            "\"R\",\"DP\",,,\"\",,,,\"\",\r\n");
  };
  log("JA1ZZZ");
  const Settings s{
      data.file("tarnis.csv"), data.file("qsoupdata.xml"), "Q1AAA", "secret", "", 0, "", "", "", "", "", 0, ""};
  start(s, platform::make_internet(), server.port());
  const auto main = probe_main();
  messages.clear();
  main->click("cmdOK");
  EXPECT_EQ(main->control("ip_status")->text, " --アップロード正常終了しました!--");
  EXPECT_THAT(messages, ::testing::IsEmpty());
  const std::string first = server.log();
  EXPECT_TRUE(first.find("<- EPSV") != std::string::npos || first.find("<- PASV") != std::string::npos) << first;
  log("JA2ZZZ");
  main->click("cmdOK");
  EXPECT_EQ(main->control("ip_status")->text, " --アップロード正常終了しました!--");
  const std::string second = server.log().substr(first.size());
  EXPECT_EQ(second.find("<- PORT"), std::string::npos) << second;
  EXPECT_EQ(second.find("<- EPRT"), std::string::npos) << second;
  EXPECT_NE(second.find("<- STOR"), std::string::npos) << second;
  EXPECT_EQ(
      std::distance(std::filesystem::directory_iterator(server.root() + "/log"), std::filesystem::directory_iterator()),
      2);
}

TEST_F(WindowTest, TheWindowAsksBeforeSendingContactsAgain) {
  FtpServer server;
  TempDir data;
  const auto contact = [](const char* call, const char* time) {
    return std::string(",\"") + call + "\",,,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"" + time +
           "\",,\"J\",,,,,,,,,\"R\",\"DP\",,,\"\",,,,\"\",\r\n";
  };
  const std::string one = contact("JA1ZZZ", "09:30");
  write_file(data.file("tarnis.csv"), one);
  const Settings s{
      data.file("tarnis.csv"), data.file("qsoupdata.xml"), "Q1AAA", "secret", "", 0, "", "", "", "", "", 0, ""};
  start(s, platform::make_internet(), server.port());
  const auto main = probe_main();
  const auto stored = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(server.root() + "/log"))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  const auto press = [&](std::initializer_list<const char*> replies) {
    messages.clear();
    answers.assign(replies.begin(), replies.end());
    main->click("cmdOK");
    EXPECT_TRUE(answers.empty());
    return main->control("ip_status")->text;
  };
  EXPECT_EQ(press({}), " --アップロード正常終了しました!--");
  ASSERT_EQ(stored().size(), 1u);
  EXPECT_EQ(press({"中止"}), "   アップロードを中止しました");
  EXPECT_THAT(messages, ::testing::ElementsAre(::testing::StartsWith("この記録の1件はすべて送信済みです。\n  ")));
  for (const char* b : {"cmdOK", "Command1", "Cmdcancel"}) EXPECT_TRUE(main->control(b)->enabled) << b;
  EXPECT_EQ(press({"すべて送信", "いいえ"}), "   アップロードを中止しました");
  EXPECT_EQ(messages.back(), "送信済みの1件も、もう一度送信します。よろしいですか? [はい|いいえ] enter 1 escape 1");
  EXPECT_EQ(stored().size(), 1u);
  EXPECT_EQ(press({"すべて送信", "はい"}), " --アップロード正常終了しました!--");
  EXPECT_EQ(stored().size(), 2u);  // under a name of its own, though the clock stands still

  // Two new contacts beside the one sent: only they go.
  write_file(data.file("tarnis.csv"), one + contact("JA2ZZZ", "09:31") + contact("JA3ZZZ", "09:32"));
  EXPECT_EQ(press({"未送信のみ送信"}), " --アップロード正常終了しました!--");
  EXPECT_THAT(messages[0], ::testing::StartsWith("この記録の3件のうち1件は送信済みです。\n  "));
  EXPECT_THAT(messages[0],
              ::testing::EndsWith("未送信の2件だけを送信しますか? [未送信のみ送信|すべて送信|中止] enter 0 escape 2"));
  const std::vector<std::string> names = stored();
  ASSERT_EQ(names.size(), 3u);
  const std::string document = read_file(server.root() + "/log/" + names.back());
  EXPECT_EQ(document, read_file(s.xml_path));
  EXPECT_EQ(document.find("JA1ZZZ"), std::string::npos);
  EXPECT_NE(document.find("JA2ZZZ"), std::string::npos);
  EXPECT_NE(document.find("JA3ZZZ"), std::string::npos);

  // Another upload under way: the window says so and stores nothing.
  platform::FileLock::Result taken;
  const auto other = platform::FileLock::try_take((folder_ / "uploads.lock").string(), taken);
  ASSERT_TRUE(other);
  press({});
  EXPECT_THAT(messages, ::testing::ElementsAre("別のアップロードが実行中です。終わってからもう一度押して下さい。"));
  for (const char* b : {"cmdOK", "Command1", "Cmdcancel"}) EXPECT_TRUE(main->control(b)->enabled) << b;
  EXPECT_EQ(stored().size(), 3u);
}

}  // namespace quillon::testing

// The main window and the start-up routine on a real (offscreen) Qt window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "app/gui_fixture.h"
#include "conversion/conversion.h"
#include "platform/instance_lock.h"
#include "support/ftp_server.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::GuiTest;
using testing::read_file;
using testing::SettingsLines;
using testing::write_file;
namespace fs = std::filesystem;

constexpr const char* kCopyright = "Copyright (C) 2026 Quillon";
constexpr const char* kSettingsFirst = "まず最初に設定を行って下さい";
constexpr const char* kAlreadyRunning = "Quillonは既に起動しています!!";

std::string utf8(const QString& s) { return s.toStdString(); }

// Widgets that Tab visits, in order, starting at `first`.
std::vector<QWidget*> tab_chain(QWidget* first, std::size_t n) {
  std::vector<QWidget*> out{first};
  for (QWidget* w = first->nextInFocusChain(); w != first && out.size() < n; w = w->nextInFocusChain())
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(w->window())) out.push_back(w);
  return out;
}

// --- first start and load -------------------------------------------------------

TEST_F(GuiTest, FirstStartAsksForSettingsThenWritesTheFileAndEmptiesTheWorkFile) {
  fs::create_directories(folder_);
  write_file(path("qsoupdata.xml"), "left from an earlier run");
  bool settings_existed = true, window_visible = true;
  on_message = [&](const std::string&) {
    settings_existed = fs::exists(settings_path());
    window_visible = main_window() && main_window()->isVisible();
  };
  AppController& c = make();
  ASSERT_TRUE(c.start());

  EXPECT_THAT(messages, ElementsAre(kSettingsFirst));
  EXPECT_EQ(parents.at(0), nullptr);  // before the window stands
  EXPECT_FALSE(settings_existed);
  EXPECT_FALSE(window_visible);
  EXPECT_EQ(read_file(settings_path()),
            "\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n\r\n\r\n\r\n\r\n 0 \r\n\r\n");
  EXPECT_EQ(fs::file_size(settings_path()), 32u);
  EXPECT_TRUE(fs::exists(path("qsoupdata.xml")));
  EXPECT_EQ(fs::file_size(path("qsoupdata.xml")), 0u);
  EXPECT_TRUE(main_window()->isVisible());
}

TEST_F(GuiTest, LoadReadsTheSettingsShowsTheNoticeAndHidesThePicture) {
  SettingsLines lines;
  lines.csv_path = "/tmp/log.csv";
  lines.callsign = "JA1ZZZ";
  lines.address1 = "東京都千代田区";
  lines.hangup_on_exit = 1;
  write_settings_file(lines);
  AppController& c = start();

  EXPECT_THAT(messages, IsEmpty());
  EXPECT_EQ(c.state().format_tag, ".Varnel_System_format.");
  EXPECT_EQ(c.state().remote_ext, ".qso");
  EXPECT_EQ(c.state().win_dir, folder_.string());
  EXPECT_EQ(c.state().settings_path, settings_path());
  EXPECT_EQ(c.state().work_xml_path, path("qsoupdata.xml"));
  EXPECT_EQ(c.state().settings.callsign, "JA1ZZZ");
  EXPECT_EQ(c.state().settings.address1, cp932::from_utf8("東京都千代田区"));
  EXPECT_EQ(c.state().settings.hangup_on_exit, 1);
  EXPECT_FALSE(fs::exists(path("qsoupdata.xml")));  // only the first start makes it

  frmstartftp* w = main_window();
  EXPECT_EQ(utf8(w->ip_status->text()), kCopyright);
  EXPECT_EQ(w->status(), kCopyright);
  EXPECT_FALSE(w->Picture1->isVisibleTo(w));
  EXPECT_EQ(c.state().inet_state, "ok");
  EXPECT_THAT(fake().calls, ElementsAre("open", "set_status_callback"));

  // The bar draws on Picture1: at 100 its left edge turns navy.
  c.state().bar().Value(100);
  EXPECT_EQ(w->Picture1->surface().pixel(1, 1), 0x800000u);
}

TEST_F(GuiTest, UnreadableSettingsAreReportedAndTheWindowStillOpens) {
  fs::create_directories(folder_);
  write_file(settings_path(), "");
  fs::permissions(settings_path(), fs::perms::none);
  if (::access(settings_path().c_str(), R_OK) == 0) GTEST_SKIP() << "running as root";
  start();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_THAT(messages[0], HasSubstr("設定ファイルを読み込めませんでした。"));
  EXPECT_THAT(messages[0], HasSubstr("qsodata.qsl"));
  ASSERT_NE(main_window(), nullptr);
  EXPECT_TRUE(main_window()->isVisible());
}

TEST_F(GuiTest, ASettingsFileThatCannotBeWrittenIsReportedAndTheWindowStillOpens) {
  // A folder where the file belongs: not an ordinary file, and no writer replaces it.
  fs::create_directories(folder_ / "qsodata.qsl");
  start();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], kSettingsFirst);
  EXPECT_THAT(messages[1], HasSubstr("設定ファイルを保存できませんでした。"));
  ASSERT_NE(main_window(), nullptr);
  EXPECT_TRUE(main_window()->isVisible());
  EXPECT_EQ(utf8(main_window()->ip_status->text()), kCopyright);
}

TEST_F(GuiTest, AFailedSessionIsReportedBeforeTheWindowAndRetriedAtTheNextLoad) {
  write_settings_file({});
  AppController& c = make();
  fake().open_handle = 0;
  fake().open_error = 12029;
  c.start();
  EXPECT_THAT(messages, ElementsAre("INet-Handleのopen失敗 GetLastError() =12029",
                                    "初期化に失敗しました。再処理して下さい。"));
  EXPECT_EQ(c.state().failed_stage, "");
  ASSERT_TRUE(main_window()->isVisible());

  fake().open_handle = 0x100;
  open_dialog().Command2->click();  // cancel: the main window loads again
  flush_deletes();
  EXPECT_EQ(c.state().inet_state, "ok");
  EXPECT_EQ(std::count(fake().calls.begin(), fake().calls.end(), "open"), 2);

  // Once open, later loads leave the session alone.
  open_dialog().Command2->click();
  flush_deletes();
  EXPECT_EQ(std::count(fake().calls.begin(), fake().calls.end(), "open"), 2);
}

// --- the window ------------------------------------------------------------------

TEST_F(GuiTest, MainWindowGeometryCaptionsAndLook) {
  write_settings_file({});
  start();
  frmstartftp* w = main_window();
  ASSERT_NE(w, nullptr);

  EXPECT_EQ(utf8(w->windowTitle()), "Quillon for Tarnis");
  EXPECT_EQ(w->size(), QSize(408, 82));
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
  const Qt::WindowFlags f = w->windowFlags();
  EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(w->windowIcon().isNull());
  EXPECT_EQ(w->palette().color(QPalette::Window), QColor(192, 192, 192));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((w->frameGeometry().center() - screen.center()).manhattanLength(), 2);

  struct Expect {
    QWidget* widget;
    QRect rect;
    const char* caption;
  };
  const Expect table[] = {
      {w->ip_status, {16, 16, 249, 19}, ""},
      {w->cmdOK, {280, 16, 113, 25}, "アップロード開始"},
      {w->Label1, {24, 48, 225, 25}, "CSV > XML >>>> Varnel"},
      {w->Picture1, {16, 48, 249, 17}, nullptr},
      {w->Command1, {280, 48, 49, 25}, "設定"},
      {w->Cmdcancel, {344, 48, 49, 25}, "終了"},
      {w->Label3, {328, 0, 49, 9}, kXmlDeclaration},
  };
  for (const Expect& e : table) {
    SCOPED_TRACE(e.widget->metaObject()->className());
    EXPECT_EQ(e.widget->geometry(), e.rect);
    if (e.caption == nullptr) continue;
    QString text;
    if (auto* b = qobject_cast<QPushButton*>(e.widget)) text = b->text();
    if (auto* l = qobject_cast<QLabel*>(e.widget)) text = l->text();
    if (auto* t = qobject_cast<QLineEdit*>(e.widget)) text = t->text();
    if (e.widget != w->ip_status) {
      EXPECT_EQ(utf8(text), e.caption);
    }
  }
  EXPECT_FALSE(w->Label3->isVisibleTo(w));
  EXPECT_EQ(w->label3_caption(), kXmlDeclaration);

  EXPECT_EQ(utf8(w->ip_status->toolTip()), "処理ステータスを表示します。");
  EXPECT_EQ(utf8(w->Label1->toolTip()), "転送が始まると、ここに進行状況を表示します。");
  EXPECT_EQ(w->ip_status->palette().color(QPalette::Base), QColor(192, 192, 192));
  EXPECT_EQ(w->ip_status->font().families().front(), QStringLiteral("ＭＳ Ｐゴシック"));
  EXPECT_EQ(w->ip_status->font().pixelSize(), 13);  // 9.75 pt at 96 dpi
  const QFont banner = w->Label1->font();
  EXPECT_EQ(banner.families().front(), QStringLiteral("Courier New"));
  EXPECT_EQ(banner.pixelSize(), 16);
  EXPECT_TRUE(banner.bold());
  EXPECT_TRUE(banner.italic());
  EXPECT_TRUE(QFontInfo(banner).fixedPitch());

  // Picture1 covers the banner while it shows.
  w->Picture1->show();
  EXPECT_EQ(w->childAt(30, 55), w->Picture1);
  w->Picture1->hide();
  EXPECT_EQ(w->childAt(30, 55), w->Label1);

  EXPECT_EQ(tab_chain(w->cmdOK, 4),
            (std::vector<QWidget*>{w->cmdOK, w->Command1, w->Cmdcancel, w->ip_status}));
  for (QPushButton* b : {w->cmdOK, w->Command1, w->Cmdcancel}) {
    EXPECT_FALSE(b->isDefault());
    EXPECT_FALSE(b->autoDefault());
  }
}

TEST_F(GuiTest, ViewTextsCrossTheEdgeAsCodePage932) {
  write_settings_file({});
  start();
  frmstartftp* w = main_window();
  const std::string sjis = cp932::from_utf8(" >> アップロード中です お待ち下さい...");
  w->set_status(sjis);
  EXPECT_EQ(utf8(w->ip_status->text()), " >> アップロード中です お待ち下さい...");
  EXPECT_EQ(w->status(), sjis);
  // Bytes that are no CP932 (a server's reply) are shown, and kept as they came.
  w->set_status(std::string("ok \x82", 4));
  EXPECT_EQ(w->status(), std::string("ok \x82", 4));
  EXPECT_EQ(w->ip_status->text(), QStringLiteral("ok \uFFFD"));

  w->message_box(cp932::from_utf8("転送に失敗しました。再処理して下さい。"));
  EXPECT_THAT(messages, ElementsAre("転送に失敗しました。再処理して下さい。"));
  w->set_label1_caption(cp932::from_utf8("CSV > XML >>>> Varnel"));
  EXPECT_EQ(utf8(w->Label1->text()), "CSV > XML >>>> Varnel");
  w->set_cursor(Cursor::Wait);
  EXPECT_EQ(w->cursor().shape(), Qt::WaitCursor);
  w->set_cursor(Cursor::Default);
  EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
  w->set_enabled(Button::Command1, false);
  EXPECT_FALSE(w->Command1->isEnabled());
  EXPECT_TRUE(w->cmdOK->isEnabled());
}

// --- single instance ---------------------------------------------------------------

TEST_F(GuiTest, ASecondInstanceSaysSoAndTouchesNoFile) {
  fs::create_directories(folder_);
  auto first = platform::InstanceLock::acquire(AppController::lock_path());
  ASSERT_NE(first, nullptr);
  AppController& c = make();
  EXPECT_FALSE(c.start());
  EXPECT_THAT(messages, ElementsAre(kAlreadyRunning));
  EXPECT_EQ(c.main_window(), nullptr);
  EXPECT_TRUE(c.ended());
  EXPECT_THAT(fake().calls, IsEmpty());
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder_)) names.push_back(e.path().filename());
  EXPECT_THAT(names, ElementsAre("quillon.lock"));
}

// --- the exit button and the close box -----------------------------------------------

TEST_F(GuiTest, ExitHangsUpOnlyWhenTheSettingSaysOne) {
  for (int setting : {0, 1, 2}) {
    SCOPED_TRACE(setting);
    SettingsLines lines;
    lines.hangup_on_exit = setting;
    write_settings_file(lines);
    ends = 0;
    AppController& c = start();
    main_window()->Cmdcancel->click();
    EXPECT_EQ(fake().hangups, setting == 1 ? std::vector<std::uint32_t>{0} : std::vector<std::uint32_t>{});
    EXPECT_EQ(c.state().progress_bar, nullptr);  // released
    EXPECT_EQ(c.main_window(), nullptr);
    EXPECT_EQ(ends, 1);
    flush_deletes();
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }
}

TEST_F(GuiTest, TheCloseBoxEndsTheProgramWithoutTheExitSteps) {
  SettingsLines lines;
  lines.hangup_on_exit = 1;
  write_settings_file(lines);
  AppController& c = start();
  main_window()->close();
  EXPECT_EQ(ends, 1);
  EXPECT_THAT(fake().hangups, IsEmpty());
  EXPECT_NE(c.state().progress_bar, nullptr);  // not released
  EXPECT_EQ(c.main_window(), nullptr);
  flush_deletes();
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(GuiTest, OneWindowAtATimeAroundTheSettingsDialog) {
  write_settings_file({});
  AppController& c = start();
  auto visible = [] {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->isVisible();
    return n;
  };
  // Top-level widgets of our own, not the dialogs they own.
  auto windows = [] {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->parentWidget() == nullptr;
    return n;
  };
  EXPECT_EQ(visible(), 1);
  Frmsetteiftp& d = open_dialog();
  EXPECT_EQ(c.main_window(), nullptr);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(visible(), 1);
  EXPECT_EQ(windows(), 1);
  // The main window's reload runs while the dialog still stands.
  int during_load = -1;
  c.state().failed_stage.clear();
  d.Command2->click();
  during_load = visible();
  flush_deletes();
  EXPECT_EQ(during_load, 1);
  ASSERT_NE(c.main_window(), nullptr);
  EXPECT_TRUE(c.main_window()->isVisible());
  EXPECT_FALSE(c.main_window()->Picture1->isVisibleTo(c.main_window()));
  EXPECT_EQ(windows(), 1);
  EXPECT_EQ(ends, 0);
}

// --- the upload run from the button ---------------------------------------------------

std::string record(const std::string& call) {
  return ",\"" + call +
         "\",\"3\",,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,\"RIG-1\","
         "\"DP\",,,\"\",,,,\"TNX\",\r\n";
}

class UploadFromTheButton : public GuiTest {
 protected:
  void prepare(const std::string& password) {
    write_file(data_.file("tarnis.csv"), record("JA1AAA") + record("JA1BBB"));
    SettingsLines lines;
    lines.csv_path = data_.file("tarnis.csv");
    lines.xml_path = data_.file("qsoupdata.xml");
    lines.callsign = "Q1AAA";
    lines.server_password = password;
    write_settings_file(lines);
    AppController& c = make(platform::make_curl_internet(), "127.0.0.1", server_.port());
    ASSERT_TRUE(c.start());
  }
  testing::TempDir data_;
  testing::FtpServer server_;
};

TEST_F(UploadFromTheButton, SucceedsAndStoresTheDocumentUnderLog) {
  prepare("secret");
  frmstartftp* w = main_window();
  w->cmdOK->click();
  EXPECT_THAT(messages, IsEmpty());
  EXPECT_EQ(utf8(w->ip_status->text()), " --アップロード正常終了しました!--");
  EXPECT_TRUE(w->cmdOK->isEnabled());
  EXPECT_TRUE(w->Command1->isEnabled());
  EXPECT_TRUE(w->Cmdcancel->isEnabled());
  EXPECT_FALSE(w->Picture1->isVisibleTo(w));
  EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);

  std::vector<fs::path> stored;
  for (const auto& e : fs::directory_iterator(fs::path(server_.root()) / "log")) stored.push_back(e.path());
  ASSERT_EQ(stored.size(), 1u);
  // The scripted clock reads all zeros.
  EXPECT_EQ(stored[0].filename(), "Q1AAA.00000000000000.Varnel_System_format.Ver.qso");
  const std::string sent = read_file(stored[0].string());
  EXPECT_THAT(sent, HasSubstr("JA1BBB"));
  EXPECT_THAT(sent, HasSubstr(kXmlDeclaration));
}

TEST_F(UploadFromTheButton, AFailedLoginIsReportedAndTheButtonsComeBack) {
  prepare("wrong");
  frmstartftp* w = main_window();
  w->cmdOK->click();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "転送に失敗しました。再処理して下さい。");
  EXPECT_TRUE(w->cmdOK->isEnabled());
  EXPECT_TRUE(w->Command1->isEnabled());
  EXPECT_TRUE(w->Cmdcancel->isEnabled());
  EXPECT_FALSE(w->Picture1->isVisibleTo(w));
  EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(fs::exists(fs::path(server_.root()) / "log") &&
               !fs::is_empty(fs::path(server_.root()) / "log"));
}

TEST_F(GuiTest, AMissingLogIsReportedAfterTheFirstStart) {
  start();
  messages.clear();
  main_window()->cmdOK->click();
  EXPECT_THAT(messages, ElementsAre("File not Found "));
  EXPECT_TRUE(main_window()->cmdOK->isEnabled());
  EXPECT_EQ(utf8(main_window()->ip_status->text()), "   Varnelに接続処理中です >>");
}

// --- a second process -------------------------------------------------------------------

// A child with the given environment and its stderr on a pipe.
struct Child {
  pid_t pid = -1;
  int err = -1;
};

Child spawn(const std::string& exe, const std::string& config_home) {
  int fds[2];
  if (::pipe(fds) != 0) return {};
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], 2);
    ::close(fds[0]);
    ::close(fds[1]);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", config_home.c_str(), 1);
    ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
  return {pid, fds[0]};
}

bool alive(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) == 0; }

void stop(Child& c) {
  if (c.pid > 0) {
    ::kill(c.pid, SIGKILL);
    ::waitpid(c.pid, nullptr, 0);
  }
  if (c.err >= 0) ::close(c.err);
  c = {};
}

// Whether `pid` holds a flock, as the kernel lists them.
bool holds_lock(pid_t pid) {
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream in(line);
    std::string n, kind, mode, access;
    pid_t holder = 0;
    in >> n >> kind >> mode >> access >> holder;
    if (kind == "FLOCK" && holder == pid) return true;
  }
  return false;
}

// Names, sizes and contents of everything in the folder.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(folder))
    out[e.path().filename()] = read_file(e.path().string()) + "|" +
        std::to_string(fs::last_write_time(e.path()).time_since_epoch().count());
  return out;
}

TEST_F(GuiTest, ASecondProcessEndsWithItsMessageAndTheFirstRunsOn) {
  using namespace std::chrono_literals;
  write_settings_file({});
  const std::string exe = QUILLON_EXE;
  Child first = spawn(exe, config_.path().string());
  ASSERT_GT(first.pid, 0);
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!holds_lock(first.pid) && alive(first.pid) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(holds_lock(first.pid)) << "the first instance never took its marker";
  std::this_thread::sleep_for(300ms);  // let it finish its load
  const auto before = snapshot(folder_);

  Child second = spawn(exe, config_.path().string());
  std::string err;
  bool exited = false;
  const auto until = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < until) {
    char buf[256];
    ssize_t n = ::read(second.err, buf, sizeof buf);
    if (n > 0) err.append(buf, static_cast<std::size_t>(n));
    if (err.find(kAlreadyRunning) != std::string::npos) break;
    if (!alive(second.pid)) {
      exited = true;
      break;
    }
    std::this_thread::sleep_for(20ms);
  }
  // Its box waits for a click nobody gives on the offscreen platform.
  if (!exited) std::this_thread::sleep_for(300ms);
  stop(second);

  EXPECT_THAT(err, HasSubstr(kAlreadyRunning));
  EXPECT_EQ(snapshot(folder_), before);
  EXPECT_TRUE(alive(first.pid));
  EXPECT_TRUE(holds_lock(first.pid));
  stop(first);
}

}  // namespace
}  // namespace quillon

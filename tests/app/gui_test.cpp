// The main window and the start-up routine on a real (offscreen) Qt window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <QProcess>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/gui_fixture.h"
#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "platform/instance_lock.h"
#include "support/ftp_server.h"
#include "support/window_table.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::GuiTest;
using testing::read_file;
using testing::write_file;
namespace fs = std::filesystem;

constexpr const char* kAlreadyRunning = "Quillonは既に起動しています!!";

std::string utf8(const QString& s) { return s.toStdString(); }

// Widgets that Tab visits, in order, starting at `first`.
std::vector<QWidget*> tab_chain(QWidget* first, std::size_t n) {
  std::vector<QWidget*> out{first};
  for (QWidget* w = first->nextInFocusChain(); w != first && out.size() < n; w = w->nextInFocusChain())
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(w->window())) out.push_back(w);
  return out;
}

// Each control as the tables in tests/data/windows lay it down, and what the
// tables cannot hold.
void check_table(QWidget* window, const std::string& table) {
  const testing::WindowTable t = testing::read_window_table(std::string(QUILLON_TEST_DATA_DIR) + "/windows/" + table);
  SCOPED_TRACE(table);
  EXPECT_EQ(utf8(window->windowTitle()), t.title);
  EXPECT_EQ(window->size(), QSize(t.width, t.height));
  EXPECT_EQ(window->minimumSize() == window->maximumSize(), t.fixed);
  EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(window->windowIcon().isNull());
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((window->frameGeometry().center() - screen.center()).manhattanLength(), 2);
  std::vector<QWidget*> want;
  for (const std::string& n : t.tab) want.push_back(window->findChild<QWidget*>(QString::fromStdString(n)));
  EXPECT_EQ(tab_chain(want.front(), want.size()), want);
  for (const testing::ControlRow& row : t.rows) {
    SCOPED_TRACE(row.name);
    QWidget* w = window->findChild<QWidget*>(QString::fromStdString(row.name));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), QRect(row.x, row.y, row.w, row.h));
    if (!row.caption.empty()) {
      QString text;
      if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
      if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
      EXPECT_EQ(utf8(text), row.caption);
    }
    if (!row.font.empty()) {
      EXPECT_EQ(utf8(w->font().families().front()), row.font);
      EXPECT_EQ(w->font().pixelSize(), row.pixels);
    } else {
      EXPECT_EQ(w->font(), window->font());
    }
    EXPECT_EQ(utf8(w->toolTip()), row.tooltip);
    if (auto* b = qobject_cast<QPushButton*>(w)) {
      EXPECT_FALSE(b->isDefault() || b->autoDefault());
    }
  }
  EXPECT_GE(t.rows.size(), 7u);
}

TEST_F(GuiTest, BothWindowsAsTheTablesLayThemDown) {
  start({});
  frmstartftp* w = main_window();
  check_table(w, "frmstartftp.tsv");
  EXPECT_EQ(w->palette().color(QPalette::Window), QColor(192, 192, 192));
  EXPECT_EQ(w->ip_status->palette().color(QPalette::Base), QColor(192, 192, 192));
  EXPECT_TRUE(w->Label1->font().bold() && w->Label1->font().italic());
  EXPECT_TRUE(QFontInfo(w->Label1->font()).fixedPitch());
  EXPECT_FALSE(w->Label3->isVisibleTo(w));
  EXPECT_EQ(w->label3_caption(), kXmlDeclaration);
  // Picture1 covers the banner while it shows.
  w->Picture1->show();
  EXPECT_EQ(w->childAt(30, 55), w->Picture1);
  w->Picture1->hide();
  EXPECT_EQ(w->childAt(30, 55), w->Label1);

  Frmsetteiftp& d = open_dialog();
  check_table(&d, "Frmsetteiftp.tsv");
  EXPECT_EQ(d.focusWidget(), d.path_sw1);
  EXPECT_EQ(d.frmsetteiftpText4->echoMode(), QLineEdit::Password);
  EXPECT_EQ(d.frmsetteiftpText4->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, d.frmsetteiftpText4), '*');
  EXPECT_EQ(d.Line1->frameShape(), QFrame::HLine);
  EXPECT_EQ(d.Line2->frameShape(), QFrame::VLine);
  EXPECT_FALSE(d.Dlg1->isVisible());
  d.resize(800, 400);  // the controls keep their places
  EXPECT_TRUE(d.Command1->geometry() == QRect(392, 248, 89, 33));
}

TEST_F(GuiTest, ViewTextsCrossTheEdgeAsCodePage932) {
  start({});
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

// --- the upload run from the button ---------------------------------------------------

TEST_F(GuiTest, TheCloseBoxReachesTheProgram) {
  start({});
  static_cast<QWidget*>(main_window())->close();
  EXPECT_EQ(quits, 1);
  flush_deletes();
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}

TEST_F(GuiTest, OneClickUploadsToTheLoopbackServer) {
  testing::FtpServer server;
  testing::TempDir data;
  write_file(data.file("tarnis.csv"), testing::log_record("JA1AAA") + testing::log_record("JA1BBB"));
  Settings s;
  s.csv_path = data.file("tarnis.csv");
  s.xml_path = data.file("qsoupdata.xml");
  s.callsign = "Q1AAA";
  s.server_password = "secret";
  start(s, platform::make_internet(), server.port());
  frmstartftp* w = main_window();
  w->cmdOK->click();
  EXPECT_THAT(messages, IsEmpty());
  EXPECT_EQ(utf8(w->ip_status->text()), " --アップロード正常終了しました!--");
  for (QPushButton* b : {w->cmdOK, w->Command1, w->Cmdcancel}) EXPECT_TRUE(b->isEnabled());
  EXPECT_FALSE(w->Picture1->isVisibleTo(w));
  EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);

  std::vector<fs::path> stored;
  for (const auto& e : fs::directory_iterator(fs::path(server.root()) / "log")) stored.push_back(e.path());
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].filename(), "Q1AAA.20020103090507.Varnel_System_format.Ver.qso");
  EXPECT_EQ(read_file(stored[0].string()), read_file(s.xml_path));
}

// --- a second process -------------------------------------------------------------------

// With the marker held, the real program says so (on stderr too, before its
// box) and touches no file.
TEST_F(GuiTest, ASecondProcessEndsWithItsMessage) {
  fs::create_directories(folder_);
  write_settings((folder_ / "qsodata.qsl").string(), {});
  const std::string before = read_file((folder_ / "qsodata.qsl").string());
  const auto held = platform::InstanceLock::acquire(Program::lock_path());
  ASSERT_NE(held, nullptr);
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config_.path().string()));
  second.setProcessEnvironment(env);
  second.setReadChannel(QProcess::StandardError);
  second.start(QStringLiteral(QUILLON_EXE), {});
  QByteArray err;
  for (int i = 0; i < 100 && !err.contains(kAlreadyRunning); ++i)
    if (second.waitForReadyRead(200)) err += second.readAllStandardError();
  second.kill();  // its box waits for a click nobody gives
  second.waitForFinished();
  EXPECT_THAT(err.toStdString(), HasSubstr(kAlreadyRunning));
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder_)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("qsodata.qsl", "quillon.lock"));
  EXPECT_EQ(read_file((folder_ / "qsodata.qsl").string()), before);
}

}  // namespace
}  // namespace quillon

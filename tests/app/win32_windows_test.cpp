// The Win32 windows against the same tables as the Qt ones, and what only a
// real Win32 window shows. Runs under Wine.
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/win32/frmstartftp.h"
#include "app/win32/win32_toolkit.h"
#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "settings_dialog/win32/Frmsetteiftp.h"
#include "support/ftp_server.h"
#include "support/program_fixture.h"
#include "support/window_table.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::read_file;
using testing::write_file;
using win32::FormWindow;
namespace fs = std::filesystem;

std::string utf8(const std::wstring& w) { return cp932::to_utf8(win32::to_cp932(w)); }

// Runs what the windows posted, as the message loop would.
void pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

class Win32Test : public testing::ProgramFixture {
 protected:
  Win32Test() {
    static const bool prepared = (win32::prepare_application(), true);
    (void)prepared;
    win32::set_message_box_hook([this](const std::string& text) { messages.push_back(text); });
  }
  ~Win32Test() override {
    program_.reset();
    pump();
    win32::set_message_box_hook(nullptr);
  }
  Toolkit& toolkit() override { return toolkit_; }

  win32::frmstartftp& main_window() { return dynamic_cast<win32::frmstartftp&>(*program_->main_window()); }
  win32::Frmsetteiftp& open_dialog() {
    click(main_window(), "Command1");
    pump();
    return dynamic_cast<win32::Frmsetteiftp&>(*program_->settings_dialog());
  }
  static void click(const FormWindow& form, const char* name) {
    ::SendMessageW(form.control(name), BM_CLICK, 0, 0);
  }

 private:
  win32::Win32Toolkit toolkit_{[this] { ++quits; }};
};

RECT in_client(const FormWindow& form, HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void check_table(const FormWindow& form, const std::string& table) {
  const testing::WindowTable t = testing::read_window_table(std::string(QUILLON_TEST_DATA_DIR) + "/windows/" + table);
  SCOPED_TRACE(table);
  HWND w = form.hwnd();
  EXPECT_EQ(utf8(win32::window_text(w)), t.title);
  RECT client;
  ::GetClientRect(w, &client);
  EXPECT_EQ(client.right, t.width);
  EXPECT_EQ(client.bottom, t.height);
  const LONG_PTR style = ::GetWindowLongPtrW(w, GWL_STYLE);
  EXPECT_EQ((style & WS_THICKFRAME) == 0, t.fixed);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(style & WS_SYSMENU, 0);
  EXPECT_NE(::GetClassLongPtrW(w, GCLP_HICON), 0);
  RECT outer;
  ::GetWindowRect(w, &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &monitor);
  EXPECT_LE(std::abs((outer.left + outer.right) - (monitor.rcWork.left + monitor.rcWork.right)), 2);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 2);
  EXPECT_EQ(::GetFocus(), form.control(t.tab.front()));
  std::vector<std::string> order;
  HWND c = form.control(t.tab.front());
  for (std::size_t i = 0; i < t.tab.size(); ++i, c = ::GetNextDlgTabItem(w, c, FALSE))
    for (const std::string& name : form.names())
      if (form.control(name) == c) order.push_back(name);
  EXPECT_EQ(order, t.tab);

  for (const testing::ControlRow& row : t.rows) {
    SCOPED_TRACE(row.name);
    HWND control = form.control(row.name);
    ASSERT_NE(control, nullptr);
    const RECT r = in_client(form, control);
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<LONG>{row.x, row.y, row.w, row.h}));
    wchar_t cls[32] = {};
    ::GetClassNameW(control, cls, 32);
    if (std::wstring_view(cls) != L"Edit") EXPECT_EQ(utf8(win32::window_text(control)), row.caption);
    // Lines and the picture box draw no text, so they hold no font.
    LOGFONTW font{};
    if (auto f = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)); f || !row.font.empty()) {
      ::GetObjectW(f, sizeof font, &font);
      EXPECT_EQ(utf8(font.lfFaceName), row.font.empty() ? "ＭＳ Ｐゴシック" : row.font);
      EXPECT_EQ(-font.lfHeight, row.font.empty() ? 12 : row.pixels);
    }
    wchar_t tip[128] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = w;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.uFlags = TTF_IDISHWND;
    tool.lpszText = tip;
    ::SendMessageW(form.tooltips(), TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(utf8(tip), row.tooltip);
    EXPECT_NE(::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  }
}

TEST_F(Win32Test, BothWindowsAsTheTablesLayThemDown) {
  start({});
  win32::frmstartftp& w = main_window();
  check_table(w, "frmstartftp.tsv");
  EXPECT_FALSE(::IsWindowVisible(w.control("Label3")));
  EXPECT_EQ(w.label3_caption(), kXmlDeclaration);
  // Picture1 covers the banner while it shows.
  w.set_picture_visible(true);
  EXPECT_EQ(::ChildWindowFromPointEx(w.hwnd(), {30, 55}, CWP_SKIPINVISIBLE), w.control("Picture1"));
  w.set_picture_visible(false);
  EXPECT_EQ(::ChildWindowFromPointEx(w.hwnd(), {30, 55}, CWP_SKIPINVISIBLE), w.control("Label1"));

  win32::Frmsetteiftp& d = open_dialog();
  EXPECT_EQ(program().main_window(), nullptr);
  check_table(d, "Frmsetteiftp.tsv");
  EXPECT_EQ(::SendMessageW(d.control("frmsetteiftpText4"), EM_GETPASSWORDCHAR, 0, 0), '*');
  ::SetWindowPos(d.hwnd(), nullptr, 0, 0, 800, 400, SWP_NOMOVE | SWP_NOZORDER);  // the controls keep their places
  const RECT ok = in_client(d, d.control("Command1"));
  EXPECT_EQ((std::vector<LONG>{ok.left, ok.top, ok.right, ok.bottom}), (std::vector<LONG>{392, 248, 481, 281}));
}

TEST_F(Win32Test, ViewTextsCrossTheEdgeAsCodePage932) {
  start({});
  win32::frmstartftp& w = main_window();
  const std::string sjis = cp932::from_utf8(" >> アップロード中です お待ち下さい...");
  w.set_status(sjis);
  EXPECT_EQ(utf8(win32::window_text(w.control("ip_status"))), " >> アップロード中です お待ち下さい...");
  EXPECT_EQ(w.status(), sjis);
  // Bytes that are no CP932 (a server's reply) are shown, and kept as they came.
  w.set_status(std::string("ok \x82", 4));
  EXPECT_EQ(w.status(), std::string("ok \x82", 4));
  EXPECT_EQ(win32::window_text(w.control("ip_status")), L"ok \uFFFD");
  // What the user typed is read back.
  ::SetWindowTextW(w.control("ip_status"), L"手入力");
  EXPECT_EQ(w.status(), cp932::from_utf8("手入力"));

  w.message_box(cp932::from_utf8("転送に失敗しました。再処理して下さい。"));
  EXPECT_THAT(messages, ElementsAre("転送に失敗しました。再処理して下さい。"));
  w.set_label1_caption(cp932::from_utf8("ＣＳＶ"));
  EXPECT_EQ(utf8(win32::window_text(w.control("Label1"))), "ＣＳＶ");
  w.set_enabled(Button::Command1, false);
  EXPECT_FALSE(::IsWindowEnabled(w.control("Command1")));
  EXPECT_TRUE(::IsWindowEnabled(w.control("cmdOK")));

  win32::Frmsetteiftp& d = open_dialog();
  d.set_text(SettingsBox::settei_ad1, cp932::from_utf8("東京都①"));
  EXPECT_EQ(d.text(SettingsBox::settei_ad1), cp932::from_utf8("東京都①"));
  ::SetWindowTextW(d.control("settei_ad2"), L"\U0001F600");
  EXPECT_THROW(d.text(SettingsBox::settei_ad2), cp932::EncodingError);
  d.set_checked(SettingsCheck::settei_log_Check, true);
  EXPECT_TRUE(d.checked(SettingsCheck::settei_log_Check));
  EXPECT_FALSE(d.checked(SettingsCheck::Check_kiru));
  // Typing into the input box reaches the settings at once.
  ::SetWindowTextW(d.control("FrmsetteiftpText1"), L"C:\\ログ\\tarnis.csv");
  EXPECT_EQ(program().state().settings.csv_path, cp932::from_utf8("C:\\ログ\\tarnis.csv"));
}

TEST_F(Win32Test, TheCloseBoxesReachTheProgram) {
  start({});
  ::SendMessageW(main_window().hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(quits, 1);
  EXPECT_TRUE(program().ended());

  start({});
  const std::string saved = read_file((folder_ / "qsodata.qsl").string());
  win32::Frmsetteiftp& d = open_dialog();
  HWND dialog = d.hwnd();
  ::SetWindowTextW(d.control("frmsetteiftpText3"), L"JA1ZZZ");
  ::SendMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(quits, 2);
  pump();
  EXPECT_FALSE(::IsWindow(dialog));
  EXPECT_EQ(read_file((folder_ / "qsodata.qsl").string()), saved);
}

TEST_F(Win32Test, OneClickUploadsToTheLoopbackServer) {
  testing::FtpServer server;
  testing::TempDir data;
  write_file(data.file("tarnis.csv"), testing::log_record("JA1AAA") + testing::log_record("JA1BBB"));
  Settings s;
  s.csv_path = data.file("tarnis.csv");
  s.xml_path = data.file("qsoupdata.xml");
  s.callsign = "Q1AAA";
  s.server_password = "secret";
  start(s, platform::make_internet(), server.port());
  win32::frmstartftp& w = main_window();
  click(w, "cmdOK");
  EXPECT_THAT(messages, IsEmpty());
  EXPECT_EQ(utf8(win32::window_text(w.control("ip_status"))), " --アップロード正常終了しました!--");
  for (const char* b : {"cmdOK", "Command1", "Cmdcancel"}) EXPECT_TRUE(::IsWindowEnabled(w.control(b))) << b;
  EXPECT_FALSE(::IsWindowVisible(w.control("Picture1")));

  const auto stored = fs::directory_iterator(fs::path(server.root()) / "log");
  ASSERT_NE(stored, fs::directory_iterator());
  EXPECT_EQ(stored->path().filename(), "Q1AAA.20020103090507.Varnel_System_format.Ver.qso");
  EXPECT_EQ(read_file(stored->path().string()), read_file(s.xml_path));
}

}  // namespace
}  // namespace quillon

#include "win32/frmstartftp.h"

#include "conversion/conversion.h"
#include "platform/cp932.h"

namespace quillon::win32 {
namespace {

constexpr COLORREF kLightGray = RGB(192, 192, 192);
enum Id { kCmdOK = 101, kCommand1, kCmdcancel };

}  // namespace

frmstartftp::frmstartftp(MainForm& form)
    : FormWindow(L"Quillon for Tarnis", kClientWidth, kClientHeight, false, kLightGray, {kMsPGothic, 9}),
      form_(form),
      picture_(249, 17) {
  const DWORD button = BS_PUSHBUTTON;
  HWND status = add("ip_status", L"EDIT", L"", ES_AUTOHSCROLL | WS_BORDER, {16, 16, 249, 19}, {kMsPGothic, 9.75});
  tooltip(status, L"処理ステータスを表示します。");
  add_button("cmdOK", L"アップロード開始", {280, 16, 113, 25}, kCmdOK, kLightGray);
  HWND label1 = add("Label1", L"STATIC", L"CSV > XML >>>> Varnel", SS_LEFT | SS_NOTIFY, {24, 48, 225, 25},
                    {L"Courier New", 12, true, true, ANSI_CHARSET});
  tooltip(label1, L"転送が始まると、ここに進行状況を表示します。");
  add_picture("Picture1", {16, 48, 249, 17}, picture_);  // above Label1 while a transfer runs
  add("Command1", L"BUTTON", L"設定", button, {280, 48, 49, 25}, {}, kCommand1);
  add_button("Cmdcancel", L"終了", {344, 48, 49, 25}, kCmdcancel, kLightGray);
  // Never shown: it only holds the XML declaration.
  HWND label3 = add("Label3", L"STATIC", utf16(kXmlDeclaration).c_str(), SS_LEFT, {328, 0, 49, 9});
  ::ShowWindow(label3, SW_HIDE);
  tab_order({"cmdOK", "Command1", "Cmdcancel", "ip_status"});
}

void frmstartftp::on_command(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kCmdOK: form_.cmdOK_Click(); break;
    case kCommand1: form_.Command1_Click(); break;
    case kCmdcancel: form_.cmdCancel_Click(); break;
    default: break;
  }
}

// The status line lies on the window's light gray, as the labels do.
HBRUSH frmstartftp::on_colour(HWND control, HDC dc, bool is_edit) {
  return FormWindow::on_colour(control, dc, is_edit && control != this->control("ip_status"));
}

void frmstartftp::set_status(std::string_view text) {
  ::SetWindowTextW(control("ip_status"), wide(status_.set(text)).c_str());
}

std::string frmstartftp::status() const { return status_.read(utf8(window_text(control("ip_status")))); }

void frmstartftp::set_enabled(Button button, bool enabled) {
  const char* name = button == Button::cmdOK ? "cmdOK" : button == Button::Command1 ? "Command1" : "Cmdcancel";
  ::EnableWindow(control(name), enabled);
}

void frmstartftp::set_picture_visible(bool visible) {
  ::ShowWindow(control("Picture1"), visible ? SW_SHOW : SW_HIDE);
}

void frmstartftp::set_cursor(Cursor cursor) { set_wait_cursor(cursor == Cursor::Wait); }

void frmstartftp::repaint() { ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

void frmstartftp::set_label1_caption(std::string_view text) {
  ::SetWindowTextW(control("Label1"), utf16(text).c_str());
}

std::string frmstartftp::label3_caption() const {
  try {
    return to_cp932(window_text(control("Label3")), "Label3");
  } catch (const cp932::EncodingError&) {
    return kXmlDeclaration;
  }
}

void frmstartftp::message_box(std::string_view text) { message(text); }

void frmstartftp::beep() { ::MessageBeep(MB_OK); }

}  // namespace quillon::win32

#include "win32/frmstartftp.h"

#include "conversion/conversion.h"
#include "platform/cp932.h"

namespace quillon::win32 {

frmstartftp::frmstartftp(MainForm& form) : FormWindow(form::kFrmstartftp), form_(form) {}

void frmstartftp::on_command(int id, int code) {
  if (code != BN_CLICKED) return;
  const std::string_view name = name_of(id);
  if (name == "cmdOK") form_.cmdOK_Click();
  if (name == "Command1") form_.Command1_Click();
  if (name == "Cmdcancel") form_.cmdCancel_Click();
}

void frmstartftp::set_status(std::string_view text) {
  ::SetWindowTextW(control("ip_status"), wide(status_.set(text)).c_str());
}

std::string frmstartftp::status() const { return status_.read(utf8(window_text(control("ip_status")))); }

void frmstartftp::set_enabled(Button button, bool enabled) {
  const char* name = button == Button::cmdOK ? "cmdOK" : button == Button::Command1 ? "Command1" : "Cmdcancel";
  ::EnableWindow(control(name), enabled);
}

void frmstartftp::set_picture_visible(bool visible) { ::ShowWindow(control("Picture1"), visible ? SW_SHOW : SW_HIDE); }

void frmstartftp::set_cursor(Cursor cursor) { set_wait_cursor(cursor == Cursor::Wait); }

void frmstartftp::repaint() {
  ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void frmstartftp::set_label1_caption(std::string_view text) {
  ::SetWindowTextW(control("Label1"), utf16(text).c_str());
}

std::string frmstartftp::label3_caption() const {
  try {
    return to_cp932(window_text(control("Label3")), "Label3");
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
    return kXmlDeclaration;
  }
}

void frmstartftp::message_box(std::string_view text) { message(text); }

int frmstartftp::ask(const Question& q) {
  return question_box(::IsWindowVisible(hwnd()) ? hwnd() : nullptr, q.text, q.buttons, q.enter, q.escape);
}

void frmstartftp::beep() { ::MessageBeep(MB_OK); }

}  // namespace quillon::win32

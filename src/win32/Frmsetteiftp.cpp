#include "win32/Frmsetteiftp.h"

#include <commdlg.h>

#include <cwchar>

#include "platform/cp932.h"

namespace quillon::win32 {

Frmsetteiftp::Frmsetteiftp(SettingsForm& form) : FormWindow(form::kFrmsetteiftp), form_(form) {}

void Frmsetteiftp::on_command(int id, int code) {
  const std::string_view name = name_of(id);
  if (code == EN_CHANGE) {
    if (name == "FrmsetteiftpText1") form_.FrmsetteiftpText1_Change();
    if (name == "FRMsetteiftpText2") form_.FRMsetteiftpText2_Change();
    return;
  }
  if (code != BN_CLICKED) return;
  if (name == "path_sw1") form_.path_sw1_Click();
  if (name == "path_sw2") form_.path_sw2_Click();
  if (name == "Command1") form_.Command1_Click();
  if (name == "Command2") form_.Command2_Click();
}

HWND Frmsetteiftp::box(SettingsBox b) const { return control(name(b)); }

HWND Frmsetteiftp::check(SettingsCheck b) const { return control(name(b)); }

void Frmsetteiftp::set_text(SettingsBox b, std::string_view text) { ::SetWindowTextW(box(b), utf16(text).c_str()); }

// The form names the box in its message.
std::string Frmsetteiftp::text(SettingsBox b) const { return to_cp932(window_text(box(b))); }

void Frmsetteiftp::set_checked(SettingsCheck b, bool on) {
  ::SendMessageW(check(b), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Frmsetteiftp::checked(SettingsCheck b) const { return ::SendMessageW(check(b), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Frmsetteiftp::focus(SettingsBox b) { ::SetFocus(box(b)); }

std::string Frmsetteiftp::show_open(std::string_view file_name) {
  std::wstring name = utf16(file_name);
  name.resize(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd();
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.Flags = OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&dialog)) return {};
  name.resize(std::wcslen(name.c_str()));
  return to_cp932(name);
}

}  // namespace quillon::win32

#include "win32/Frmsetteiftp.h"

#include <commdlg.h>

#include <cwchar>

#include "platform/cp932.h"

namespace quillon::win32 {
namespace {

enum Id { kPathSw1 = 201, kPathSw2, kCommand1, kCommand2, kText1, kText2 };

}  // namespace

Frmsetteiftp::Frmsetteiftp(SettingsForm& form)
    : FormWindow(L"Quillon for Tarnis", kClientWidth, kClientHeight, true, ::GetSysColor(COLOR_BTNFACE),
                 {kMsPGothic, 9}),
      form_(form) {
  const FontSpec gothic_11{kMsGothic, 11.25}, gothic_10{kMsGothic, 9.75}, gothic_9{kMsGothic, 9};
  const FontSpec pgothic_10{kMsPGothic, 9.75}, pgothic_11{kMsPGothic, 11.25};
  const FontSpec serif_12{L"MS Serif", 12, false, false, ANSI_CHARSET};
  const DWORD label = SS_LEFTNOWORDWRAP, edit = ES_AUTOHSCROLL | WS_BORDER, line = SS_BLACKRECT;
  const DWORD button = BS_PUSHBUTTON, tick = BS_AUTOCHECKBOX;

  add("Label1", L"STATIC", L"1.入力ファイル(CSV)", label, {16, 8, 153, 17}, gothic_11);
  add("path_sw1", L"BUTTON", L"参照", button, {168, 8, 57, 17}, {}, kPathSw1);
  add("FrmsetteiftpText1", L"EDIT", L"", edit, {240, 8, 345, 18}, {}, kText1);
  add("Label2", L"STATIC", L"2.出力ファイル(XML)", label, {16, 40, 153, 17}, gothic_11);
  add("path_sw2", L"BUTTON", L"参照", button, {168, 40, 57, 17}, {}, kPathSw2);
  add("FRMsetteiftpText2", L"EDIT", L"", edit, {240, 40, 345, 18}, {}, kText2);
  add("Line1", L"STATIC", L"", line, {8, 72, 585, 1});
  add("Label4", L"STATIC", L"3.詳細設定", label, {16, 80, 89, 17}, gothic_11);
  add("Label3", L"STATIC", L"コールサイン", label, {16, 112, 97, 17}, pgothic_10);
  add("frmsetteiftpText3", L"EDIT", L"", edit, {96, 104, 129, 25}, serif_12);
  add("Label5", L"STATIC", L"サーバへのログインパスワード", label, {16, 136, 185, 17}, pgothic_10);
  HWND password = add("frmsetteiftpText4", L"EDIT", L"", edit | ES_PASSWORD, {16, 152, 209, 22}, pgothic_11);
  ::SendMessageW(password, EM_SETPASSWORDCHAR, L'*', 0);
  add("Label13", L"STATIC", L"Your QSL Name", label, {16, 176, 105, 17}, gothic_10);
  add("settei_name", L"EDIT", L"", edit, {16, 192, 209, 21}, gothic_10);
  add("Label12", L"STATIC", L"My Portable", label, {16, 216, 89, 17}, gothic_10);
  add("settei_my_portable", L"EDIT", L"", edit, {16, 232, 209, 21}, gothic_10);
  add("Check_kiru", L"BUTTON", L"プログラム終了時ダイヤルアップ切断", tick, {16, 264, 217, 17});
  add("Line2", L"STATIC", L"", line, {240, 88, 1, 201});
  add("Label7", L"STATIC", L"Address1", label, {256, 88, 65, 17}, gothic_10);
  add("settei_ad1", L"EDIT", L"", edit, {320, 88, 265, 19}, gothic_10);
  add("Label8", L"STATIC", L"Address2", label, {256, 120, 65, 17}, gothic_10);
  add("settei_ad2", L"EDIT", L"", edit, {320, 120, 265, 19}, gothic_10);
  add("Label9", L"STATIC", L"Address3", label, {256, 152, 65, 17}, gothic_10);
  add("settei_ad3", L"EDIT", L"", edit, {320, 152, 265, 19}, gothic_10);
  add("Label10", L"STATIC", L"QSL Design-No or Filename", label, {256, 184, 209, 17}, gothic_10);
  add("settei_design_no", L"EDIT", L"", edit, {440, 184, 145, 18}, gothic_9);
  add("Label11", L"STATIC", L"Path", label, {256, 216, 33, 17}, gothic_10);
  add("settei_path", L"EDIT", L"", edit, {296, 216, 289, 18}, gothic_9);
  add("settei_log_Check", L"BUTTON", L"Log Search", tick, {272, 256, 97, 17}, gothic_10);
  add("Command1", L"BUTTON", L"ＯＫ", button, {392, 248, 89, 33}, {}, kCommand1);
  add("Command2", L"BUTTON", L"キャンセル", button, {496, 248, 89, 33}, {}, kCommand2);
  tab_order({"path_sw1", "FrmsetteiftpText1", "path_sw2", "FRMsetteiftpText2", "frmsetteiftpText3",
             "frmsetteiftpText4", "settei_name", "settei_my_portable", "Check_kiru", "settei_ad1", "settei_ad2",
             "settei_ad3", "settei_design_no", "settei_path", "settei_log_Check", "Command1", "Command2"});
}

void Frmsetteiftp::on_command(int id, int code) {
  if (code == EN_CHANGE) {
    if (id == kText1) form_.FrmsetteiftpText1_Change();
    if (id == kText2) form_.FRMsetteiftpText2_Change();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kPathSw1: form_.path_sw1_Click(); break;
    case kPathSw2: form_.path_sw2_Click(); break;
    case kCommand1: form_.Command1_Click(); break;
    case kCommand2: form_.Command2_Click(); break;
    default: break;
  }
}

HWND Frmsetteiftp::box(SettingsBox b) const { return control(name(b)); }

HWND Frmsetteiftp::check(SettingsCheck b) const { return control(name(b)); }

void Frmsetteiftp::set_text(SettingsBox b, std::string_view text) {
  ::SetWindowTextW(box(b), utf16(text).c_str());
}

// The form names the box in its message.
std::string Frmsetteiftp::text(SettingsBox b) const { return to_cp932(window_text(box(b))); }

void Frmsetteiftp::set_checked(SettingsCheck b, bool on) {
  ::SendMessageW(check(b), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Frmsetteiftp::checked(SettingsCheck b) const {
  return ::SendMessageW(check(b), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

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

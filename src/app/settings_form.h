#pragma once
// The handlers of the settings dialog Frmsetteiftp, in plain C++: the dialog of
// each toolkit forwards its events here.
#include <string>

#include "app/settings_view.h"

namespace quillon {

class Program;

class SettingsForm {
 public:
  explicit SettingsForm(Program& program) : program_(program) {}
  void attach(SettingsView& view) { view_ = &view; }

  // Fills the boxes from the settings in memory, then shows the dialog.
  void Form_Load();
  void FrmsetteiftpText1_Change();
  void FRMsetteiftpText2_Change();
  void path_sw1_Click();
  void path_sw2_Click();
  void Command1_Click();  // ＯＫ
  void Command2_Click();  // キャンセル
  // The frame's close box: nothing is saved and the program ends.
  void closed_by_user();

  // The file name the one file dialog holds; both browse buttons share it, and
  // it lives as long as the dialog.
  std::string Dlg1_FileName;

 private:
  void browse(SettingsBox box, std::string& path);
  // False, with the message shown, when `box` holds what CP932 cannot store.
  bool take(SettingsBox box, std::string& into);

  Program& program_;
  SettingsView* view_ = nullptr;
};

}  // namespace quillon

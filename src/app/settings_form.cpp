#include "app/settings_form.h"

#include "app/program.h"
#include "app/settings.h"
#include "platform/cp932.h"

namespace quillon {
namespace {

// Label captions double as the field names in messages.
const char* label_of(SettingsBox box) {
  switch (box) {
    case SettingsBox::FrmsetteiftpText1: return "1.入力ファイル(CSV)";
    case SettingsBox::FRMsetteiftpText2: return "2.出力ファイル(XML)";
    case SettingsBox::frmsetteiftpText3: return "コールサイン";
    case SettingsBox::frmsetteiftpText4: return "サーバへのログインパスワード";
    case SettingsBox::settei_my_portable: return "My Portable";
    case SettingsBox::settei_ad1: return "Address1";
    case SettingsBox::settei_ad2: return "Address2";
    case SettingsBox::settei_ad3: return "Address3";
    case SettingsBox::settei_design_no: return "QSL Design-No or Filename";
    case SettingsBox::settei_path: return "Path";
    case SettingsBox::settei_name: return "Your QSL Name";
  }
  return "";
}

std::string unstorable(SettingsBox box, const Error& e) {
  return cp932::text(std::string("「") + label_of(box) +
                     "」に Shift-JIS (CP932) で保存できない文字があります。\n"
                     "その文字を取り除いてから、もう一度ＯＫを押して下さい。\n") +
         e.what();
}

}  // namespace

void SettingsForm::Form_Load() {
  Settings& s = program_.state().settings;
  SettingsView& view = *view_;
  Dlg1_FileName.clear();  // a fresh dialog object each time the dialog opens
  // The two paths, the defaults when empty: the change handlers copy the boxes
  // into csv_path and xml_path; they are called here too, since setting an
  // unchanged text raises no change.
  view.set_text(SettingsBox::FrmsetteiftpText1, s.csv_path.empty() ? "tarnis.csv" : s.csv_path);
  FrmsetteiftpText1_Change();
  view.set_text(SettingsBox::FRMsetteiftpText2, s.xml_path.empty() ? "qsoupdata.xml" : s.xml_path);
  FRMsetteiftpText2_Change();
  // Every other value as stored; the check boxes ticked for 1.
  view.set_text(SettingsBox::frmsetteiftpText3, s.callsign);
  view.set_text(SettingsBox::frmsetteiftpText4, s.server_password);
  view.set_text(SettingsBox::settei_my_portable, s.my_portable);
  view.set_checked(SettingsCheck::Check_kiru, s.hangup_on_exit == 1);
  view.set_text(SettingsBox::settei_ad1, s.address1);
  view.set_text(SettingsBox::settei_ad2, s.address2);
  view.set_text(SettingsBox::settei_ad3, s.address3);
  view.set_text(SettingsBox::settei_design_no, s.design_no);
  view.set_text(SettingsBox::settei_path, s.qsl_path);
  view.set_checked(SettingsCheck::settei_log_Check, s.log_search == 1);
  view.set_text(SettingsBox::settei_name, s.qsl_name);
  view.show();
}

// A character CP932 cannot hold leaves the field at its last storable value;
// the OK button then names the field.
void SettingsForm::FrmsetteiftpText1_Change() {
  try {
    program_.state().settings.csv_path = view_->text(SettingsBox::FrmsetteiftpText1);
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
  }
}

void SettingsForm::FRMsetteiftpText2_Change() {
  try {
    program_.state().settings.xml_path = view_->text(SettingsBox::FRMsetteiftpText2);
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
  }
}

// A cancelled browse changes nothing: applying the name left from the other
// row would point the document at the log, and the next run would overwrite it.
void SettingsForm::browse(SettingsBox box, std::string& path) {
  std::string chosen;
  try {
    chosen = view_->show_open(Dlg1_FileName);
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
    view_->message_box(unstorable(box, e));
    return;
  }
  if (chosen.empty()) return;
  Dlg1_FileName = chosen;
  path = chosen;
  view_->set_text(box, path);
}

void SettingsForm::path_sw1_Click() { browse(SettingsBox::FrmsetteiftpText1, program_.state().settings.csv_path); }

void SettingsForm::path_sw2_Click() { browse(SettingsBox::FRMsetteiftpText2, program_.state().settings.xml_path); }

bool SettingsForm::take(SettingsBox box, std::string& into) {
  try {
    into = view_->text(box);
    return true;
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
    view_->message_box(unstorable(box, e));
    view_->focus(box);
    return false;
  }
}

void SettingsForm::Command1_Click() {
  AppState& state = program_.state();
  SettingsView& view = *view_;
  // A box holding only what CP932 cannot store is not empty; the save names it.
  auto empty = [&view](SettingsBox box) {
    try {
      return view.text(box).empty();
    } catch (const Error& e) {
      rethrow_unless(Failed::Encoding, e);
      return false;
    }
  };
  const char* refusal = state.settings.csv_path.empty()         ? "入力ファイルを設定して下さい"
                        : state.settings.xml_path.empty()       ? "出力ファイルを設定して下さい"
                        : empty(SettingsBox::frmsetteiftpText3) ? "コールサインを入力して下さい"
                        : empty(SettingsBox::frmsetteiftpText4) ? "サーバパスワードを入力して下さい"
                                                                : nullptr;
  if (refusal != nullptr) {
    view.message_box(cp932::text(refusal));
    return;
  }

  // Every box must be storable before anything is copied or written.
  Settings next = state.settings;
  const std::pair<SettingsBox, std::string*> boxes[] = {
      {SettingsBox::FrmsetteiftpText1, &next.csv_path},
      {SettingsBox::FRMsetteiftpText2, &next.xml_path},
      {SettingsBox::frmsetteiftpText3, &next.callsign},
      {SettingsBox::frmsetteiftpText4, &next.server_password},
      {SettingsBox::settei_my_portable, &next.my_portable},
      {SettingsBox::settei_ad1, &next.address1},
      {SettingsBox::settei_ad2, &next.address2},
      {SettingsBox::settei_ad3, &next.address3},
      {SettingsBox::settei_design_no, &next.design_no},
      {SettingsBox::settei_path, &next.qsl_path},
      {SettingsBox::settei_name, &next.qsl_name},
  };
  for (const auto& [box, field] : boxes)
    if (!take(box, *field)) return;
  next.log_search = view.checked(SettingsCheck::settei_log_Check) ? 1 : 0;
  next.hangup_on_exit = view.checked(SettingsCheck::Check_kiru) ? 1 : 0;

  try {
    write_settings(state.settings_path, next);
  } catch (const Error& e) {
    view.message_box(cp932::text("設定ファイルを保存できませんでした。\n") + e.what());
    return;
  }
  state.settings = next;
  view.message_box(cp932::text("設定を更新しました。"));
  program_.open_main();
}

void SettingsForm::Command2_Click() { program_.open_main(); }

void SettingsForm::closed_by_user() { program_.settings_dialog_closed_by_user(); }

}  // namespace quillon

#include "qt/Frmsetteiftp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <string>

#include "platform/cp932.h"
#include "qt/form_layout.h"
#include "qt/form_support.h"

namespace quillon {

Frmsetteiftp::Frmsetteiftp(SettingsForm& form) : QWidget(nullptr, form_flags(form::kFrmsetteiftp)), form_(form) {
  lay_out(this, form::kFrmsetteiftp);
  // Not shown in the window: the platform's file-open dialog.
  Dlg1 = new QFileDialog(this);
  Dlg1->setFileMode(QFileDialog::AnyFile);  // no "file must exist" flag
  Dlg1->setAcceptMode(QFileDialog::AcceptOpen);
  Dlg1->setOption(QFileDialog::DontUseNativeDialog, true);

  connect(control<QLineEdit>(this, "FrmsetteiftpText1"), &QLineEdit::textChanged, this,
          [this] { form_.FrmsetteiftpText1_Change(); });
  connect(control<QLineEdit>(this, "FRMsetteiftpText2"), &QLineEdit::textChanged, this,
          [this] { form_.FRMsetteiftpText2_Change(); });
  connect(control<QPushButton>(this, "path_sw1"), &QPushButton::clicked, this, [this] { form_.path_sw1_Click(); });
  connect(control<QPushButton>(this, "path_sw2"), &QPushButton::clicked, this, [this] { form_.path_sw2_Click(); });
  connect(control<QPushButton>(this, "Command1"), &QPushButton::clicked, this, [this] { form_.Command1_Click(); });
  connect(control<QPushButton>(this, "Command2"), &QPushButton::clicked, this, [this] { form_.Command2_Click(); });
}

Frmsetteiftp::~Frmsetteiftp() = default;

QLineEdit* Frmsetteiftp::box(SettingsBox b) const { return control<QLineEdit>(this, name(b)); }

QCheckBox* Frmsetteiftp::check(SettingsCheck b) const { return control<QCheckBox>(this, name(b)); }

void Frmsetteiftp::set_text(SettingsBox b, std::string_view text) {
  QLineEdit* edit = box(b);
  edit->setText(from_cp932(text));
  edit->setCursorPosition(0);
}

// The form names the box in its message.
std::string Frmsetteiftp::text(SettingsBox b) const { return to_cp932(box(b)->text(), ""); }

void Frmsetteiftp::set_checked(SettingsCheck b, bool on) { check(b)->setChecked(on); }

bool Frmsetteiftp::checked(SettingsCheck b) const { return check(b)->isChecked(); }

void Frmsetteiftp::focus(SettingsBox b) { box(b)->setFocus(Qt::OtherFocusReason); }

std::string Frmsetteiftp::show_open(std::string_view file_name) {
  if (!file_name.empty()) Dlg1->selectFile(from_cp932(file_name));
  if (Dlg1->exec() != QDialog::Accepted) return {};
  const QStringList chosen = Dlg1->selectedFiles();
  if (chosen.isEmpty()) return {};
  return to_cp932(chosen.front(), "");
}

void Frmsetteiftp::message_box(std::string_view text) { quillon::message_box(this, from_cp932(text)); }

void Frmsetteiftp::show() {
  show_centred(this);
  activateWindow();
  control<QPushButton>(this, "path_sw1")->setFocus(Qt::OtherFocusReason);
}

void Frmsetteiftp::close() {
  hide();
  deleteLater();
}

void Frmsetteiftp::closeEvent(QCloseEvent* event) {
  event->accept();
  form_.closed_by_user();
}

}  // namespace quillon

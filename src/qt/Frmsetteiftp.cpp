#include "qt/Frmsetteiftp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>
#include <QStringList>

#include <string>

#include "platform/cp932.h"
#include "qt/form_support.h"

namespace quillon {
namespace {

// The masked box shows "*" for every character, whatever the style prefers.
class StarPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

QLabel* make_label(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h,
                   const QFont& font) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(name);
  label->setGeometry(x, y, w, h);
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(pal);
  return label;
}

QLineEdit* make_box(QWidget* parent, const char* name, int x, int y, int w, int h) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setGeometry(x, y, w, h);
  return box;
}

QLineEdit* make_box(QWidget* parent, const char* name, int x, int y, int w, int h, const QFont& font) {
  QLineEdit* box = make_box(parent, name, x, y, w, h);
  box->setFont(font);
  return box;
}

QPushButton* make_button(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(name);
  b->setGeometry(x, y, w, h);
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

QFrame* make_line(QWidget* parent, const char* name, QFrame::Shape shape, int x, int y, int w, int h) {
  auto* line = new QFrame(parent);
  line->setObjectName(name);
  line->setFrameShape(shape);
  line->setFrameShadow(QFrame::Plain);
  line->setLineWidth(1);
  line->setGeometry(x, y, w, h);
  QPalette pal = line->palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  line->setPalette(pal);
  return line;
}

}  // namespace

Frmsetteiftp::Frmsetteiftp(SettingsForm& form)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      form_(form) {
  setWindowTitle(QStringLiteral("Quillon for Tarnis"));
  setWindowIcon(quillon_icon());
  // Resizable; the controls keep their places, so no layout.
  resize(kClientWidth, kClientHeight);
  setFont(form_font(ms_pgothic(), 9));

  const QFont gothic_11 = form_font(ms_gothic(), 11.25);
  const QFont gothic_10 = form_font(ms_gothic(), 9.75);
  const QFont gothic_9 = form_font(ms_gothic(), 9);
  const QFont pgothic_10 = form_font(ms_pgothic(), 9.75);
  const QFont pgothic_11 = form_font(ms_pgothic(), 11.25);
  const QFont serif_12 = form_font(ms_serif(), 12);

  Label1 = make_label(this, "Label1", "1.入力ファイル(CSV)", 16, 8, 153, 17, gothic_11);
  path_sw1 = make_button(this, "path_sw1", "参照", 168, 8, 57, 17);
  FrmsetteiftpText1 = make_box(this, "FrmsetteiftpText1", 240, 8, 345, 18);
  Label2 = make_label(this, "Label2", "2.出力ファイル(XML)", 16, 40, 153, 17, gothic_11);
  path_sw2 = make_button(this, "path_sw2", "参照", 168, 40, 57, 17);
  FRMsetteiftpText2 = make_box(this, "FRMsetteiftpText2", 240, 40, 345, 18);
  Line1 = make_line(this, "Line1", QFrame::HLine, 8, 72, 585, 1);
  Label4 = make_label(this, "Label4", "3.詳細設定", 16, 80, 89, 17, gothic_11);
  Label3 = make_label(this, "Label3", "コールサイン", 16, 112, 97, 17, pgothic_10);
  frmsetteiftpText3 = make_box(this, "frmsetteiftpText3", 96, 104, 129, 25, serif_12);
  Label5 = make_label(this, "Label5", "サーバへのログインパスワード", 16, 136, 185, 17, pgothic_10);
  frmsetteiftpText4 = make_box(this, "frmsetteiftpText4", 16, 152, 209, 22, pgothic_11);
  frmsetteiftpText4->setEchoMode(QLineEdit::Password);
  auto* star_style = new StarPasswordStyle;
  star_style->setParent(frmsetteiftpText4);
  frmsetteiftpText4->setStyle(star_style);
  Label13 = make_label(this, "Label13", "Your QSL Name", 16, 176, 105, 17, gothic_10);
  settei_name = make_box(this, "settei_name", 16, 192, 209, 21, gothic_10);
  Label12 = make_label(this, "Label12", "My Portable", 16, 216, 89, 17, gothic_10);
  settei_my_portable = make_box(this, "settei_my_portable", 16, 232, 209, 21, gothic_10);
  Check_kiru = new QCheckBox(QStringLiteral("プログラム終了時ダイヤルアップ切断"), this);
  Check_kiru->setObjectName(QStringLiteral("Check_kiru"));
  Check_kiru->setGeometry(16, 264, 217, 17);
  Line2 = make_line(this, "Line2", QFrame::VLine, 240, 88, 1, 201);
  Label7 = make_label(this, "Label7", "Address1", 256, 88, 65, 17, gothic_10);
  settei_ad1 = make_box(this, "settei_ad1", 320, 88, 265, 19, gothic_10);
  Label8 = make_label(this, "Label8", "Address2", 256, 120, 65, 17, gothic_10);
  settei_ad2 = make_box(this, "settei_ad2", 320, 120, 265, 19, gothic_10);
  Label9 = make_label(this, "Label9", "Address3", 256, 152, 65, 17, gothic_10);
  settei_ad3 = make_box(this, "settei_ad3", 320, 152, 265, 19, gothic_10);
  Label10 = make_label(this, "Label10", "QSL Design-No or Filename", 256, 184, 209, 17, gothic_10);
  settei_design_no = make_box(this, "settei_design_no", 440, 184, 145, 18, gothic_9);
  Label11 = make_label(this, "Label11", "Path", 256, 216, 33, 17, gothic_10);
  settei_path = make_box(this, "settei_path", 296, 216, 289, 18, gothic_9);
  settei_log_Check = new QCheckBox(QStringLiteral("Log Search"), this);
  settei_log_Check->setObjectName(QStringLiteral("settei_log_Check"));
  settei_log_Check->setGeometry(272, 256, 97, 17);
  settei_log_Check->setFont(gothic_10);
  Command1 = make_button(this, "Command1", "ＯＫ", 392, 248, 89, 33);
  Command2 = make_button(this, "Command2", "キャンセル", 496, 248, 89, 33);

  // Not shown in the window: the platform's file-open dialog.
  Dlg1 = new QFileDialog(this);
  Dlg1->setFileMode(QFileDialog::AnyFile);  // no "file must exist" flag
  Dlg1->setAcceptMode(QFileDialog::AcceptOpen);
  Dlg1->setOption(QFileDialog::DontUseNativeDialog, true);

  QWidget* order[] = {path_sw1,         FrmsetteiftpText1, path_sw2,         FRMsetteiftpText2,
                      frmsetteiftpText3, frmsetteiftpText4, settei_name,      settei_my_portable,
                      Check_kiru,       settei_ad1,        settei_ad2,       settei_ad3,
                      settei_design_no, settei_path,       settei_log_Check, Command1,
                      Command2};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(FrmsetteiftpText1, &QLineEdit::textChanged, this, [this] { form_.FrmsetteiftpText1_Change(); });
  connect(FRMsetteiftpText2, &QLineEdit::textChanged, this, [this] { form_.FRMsetteiftpText2_Change(); });
  connect(path_sw1, &QPushButton::clicked, this, [this] { form_.path_sw1_Click(); });
  connect(path_sw2, &QPushButton::clicked, this, [this] { form_.path_sw2_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { form_.Command2_Click(); });
}

Frmsetteiftp::~Frmsetteiftp() = default;

QLineEdit* Frmsetteiftp::box(SettingsBox b) const { return findChild<QLineEdit*>(QString::fromLatin1(name(b))); }

QCheckBox* Frmsetteiftp::check(SettingsCheck b) const { return findChild<QCheckBox*>(QString::fromLatin1(name(b))); }

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

void Frmsetteiftp::message_box(std::string_view text) {
  quillon::message_box(this, from_cp932(text));
}

void Frmsetteiftp::show() {
  show_centred(this);
  activateWindow();
  path_sw1->setFocus(Qt::OtherFocusReason);
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

#include "settings_dialog/Frmsetteiftp.h"

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

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "app/startup.h"
#include "platform/cp932.h"

namespace quillon {
namespace {

// Label captions double as the field names in messages.
const char* const kInputLabel = "1.入力ファイル(CSV)";
const char* const kOutputLabel = "2.出力ファイル(XML)";
const char* const kCallsignLabel = "コールサイン";
const char* const kPasswordLabel = "サーバへのログインパスワード";

// The masked box shows "*" for every character, whatever the style prefers.
class StarPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

QLabel* make_label(QWidget* parent, const char* caption, int x, int y, int w, int h,
                   const QFont& font) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setGeometry(x, y, w, h);
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(pal);
  return label;
}

QLineEdit* make_box(QWidget* parent, int x, int y, int w, int h) {
  auto* box = new QLineEdit(parent);
  box->setGeometry(x, y, w, h);
  return box;
}

QLineEdit* make_box(QWidget* parent, int x, int y, int w, int h, const QFont& font) {
  QLineEdit* box = make_box(parent, x, y, w, h);
  box->setFont(font);
  return box;
}

QPushButton* make_button(QWidget* parent, const char* caption, int x, int y, int w, int h) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setGeometry(x, y, w, h);
  b->setAutoDefault(false);
  b->setDefault(false);
  return b;
}

QFrame* make_line(QWidget* parent, QFrame::Shape shape, int x, int y, int w, int h) {
  auto* line = new QFrame(parent);
  line->setFrameShape(shape);
  line->setFrameShadow(QFrame::Plain);
  line->setLineWidth(1);
  line->setGeometry(x, y, w, h);
  QPalette pal = line->palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  line->setPalette(pal);
  return line;
}

Qt::CheckState check_state(std::int16_t value) { return value == 1 ? Qt::Checked : Qt::Unchecked; }
std::int16_t check_value(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

QString error_text(const std::exception& e) {
  if (dynamic_cast<const SettingsError*>(&e) != nullptr) return from_cp932(e.what());
  return QString::fromUtf8(e.what());
}

QString unstorable(const char* label, const cp932::EncodingError& e) {
  return QStringLiteral("「") + QString::fromUtf8(label) +
         QStringLiteral("」に Shift-JIS (CP932) で保存できない文字があります。\n"
                        "その文字を取り除いてから、もう一度ＯＫを押して下さい。\n") +
         QString::fromUtf8(e.what());
}

}  // namespace

Frmsetteiftp::Frmsetteiftp(AppController& app)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      app_(app) {
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

  Label1 = make_label(this, kInputLabel, 16, 8, 153, 17, gothic_11);
  path_sw1 = make_button(this, "参照", 168, 8, 57, 17);
  FrmsetteiftpText1 = make_box(this, 240, 8, 345, 18);
  Label2 = make_label(this, kOutputLabel, 16, 40, 153, 17, gothic_11);
  path_sw2 = make_button(this, "参照", 168, 40, 57, 17);
  FRMsetteiftpText2 = make_box(this, 240, 40, 345, 18);
  Line1 = make_line(this, QFrame::HLine, 8, 72, 585, 1);
  Label4 = make_label(this, "3.詳細設定", 16, 80, 89, 17, gothic_11);
  Label3 = make_label(this, kCallsignLabel, 16, 112, 97, 17, pgothic_10);
  frmsetteiftpText3 = make_box(this, 96, 104, 129, 25, serif_12);
  Label5 = make_label(this, kPasswordLabel, 16, 136, 185, 17, pgothic_10);
  frmsetteiftpText4 = make_box(this, 16, 152, 209, 22, pgothic_11);
  frmsetteiftpText4->setEchoMode(QLineEdit::Password);
  auto* star_style = new StarPasswordStyle;
  star_style->setParent(frmsetteiftpText4);
  frmsetteiftpText4->setStyle(star_style);
  Label13 = make_label(this, "Your QSL Name", 16, 176, 105, 17, gothic_10);
  settei_name = make_box(this, 16, 192, 209, 21, gothic_10);
  Label12 = make_label(this, "My Portable", 16, 216, 89, 17, gothic_10);
  settei_my_portable = make_box(this, 16, 232, 209, 21, gothic_10);
  Check_kiru = new QCheckBox(QStringLiteral("プログラム終了時ダイヤルアップ切断"), this);
  Check_kiru->setGeometry(16, 264, 217, 17);
  Line2 = make_line(this, QFrame::VLine, 240, 88, 1, 201);
  Label7 = make_label(this, "Address1", 256, 88, 65, 17, gothic_10);
  settei_ad1 = make_box(this, 320, 88, 265, 19, gothic_10);
  Label8 = make_label(this, "Address2", 256, 120, 65, 17, gothic_10);
  settei_ad2 = make_box(this, 320, 120, 265, 19, gothic_10);
  Label9 = make_label(this, "Address3", 256, 152, 65, 17, gothic_10);
  settei_ad3 = make_box(this, 320, 152, 265, 19, gothic_10);
  Label10 = make_label(this, "QSL Design-No or Filename", 256, 184, 209, 17, gothic_10);
  settei_design_no = make_box(this, 440, 184, 145, 18, gothic_9);
  Label11 = make_label(this, "Path", 256, 216, 33, 17, gothic_10);
  settei_path = make_box(this, 296, 216, 289, 18, gothic_9);
  settei_log_Check = new QCheckBox(QStringLiteral("Log Search"), this);
  settei_log_Check->setGeometry(272, 256, 97, 17);
  settei_log_Check->setFont(gothic_10);
  Command1 = make_button(this, "ＯＫ", 392, 248, 89, 33);
  Command2 = make_button(this, "キャンセル", 496, 248, 89, 33);

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

  connect(FrmsetteiftpText1, &QLineEdit::textChanged, this, [this] { FrmsetteiftpText1_Change(); });
  connect(FRMsetteiftpText2, &QLineEdit::textChanged, this, [this] { FRMsetteiftpText2_Change(); });
  connect(path_sw1, &QPushButton::clicked, this, [this] { path_sw1_Click(); });
  connect(path_sw2, &QPushButton::clicked, this, [this] { path_sw2_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

Frmsetteiftp::~Frmsetteiftp() = default;

void Frmsetteiftp::say(const QString& text) { app_.message_box(this, text); }

void Frmsetteiftp::Form_Load() {
  Settings& s = app_.state().settings;
  // 1, 2: the change handlers copy the boxes into csv_path and xml_path.
  FrmsetteiftpText1->setText(s.csv_path.empty() ? QStringLiteral("tarnis.csv")
                                                : from_cp932(s.csv_path));
  FrmsetteiftpText1_Change();  // also when setText found nothing to change
  FRMsetteiftpText2->setText(s.xml_path.empty() ? QStringLiteral("qsoupdata.xml")
                                                : from_cp932(s.xml_path));
  FRMsetteiftpText2_Change();
  // 3 to 7.
  frmsetteiftpText3->setText(from_cp932(s.callsign));
  frmsetteiftpText4->setText(from_cp932(s.server_password));
  settei_my_portable->setText(from_cp932(s.my_portable));
  Check_kiru->setCheckState(check_state(s.hangup_on_exit));
  settei_ad1->setText(from_cp932(s.address1));
  settei_ad2->setText(from_cp932(s.address2));
  settei_ad3->setText(from_cp932(s.address3));
  settei_design_no->setText(from_cp932(s.design_no));
  settei_path->setText(from_cp932(s.qsl_path));
  settei_log_Check->setCheckState(check_state(s.log_search));
  settei_name->setText(from_cp932(s.qsl_name));
  for (QLineEdit* box : findChildren<QLineEdit*>()) box->setCursorPosition(0);
  // 8.
  centre_on_screen(this);
  show();
  centre_on_screen(this);  // again, now that the frame is known
  activateWindow();
  path_sw1->setFocus(Qt::OtherFocusReason);
}

// A character CP932 cannot hold leaves the field at its last storable value;
// the OK button then names the field.
void Frmsetteiftp::FrmsetteiftpText1_Change() {
  try {
    app_.state().settings.csv_path = to_cp932(FrmsetteiftpText1->text(), kInputLabel);
  } catch (const cp932::EncodingError&) {
  }
}

void Frmsetteiftp::FRMsetteiftpText2_Change() {
  try {
    app_.state().settings.xml_path = to_cp932(FRMsetteiftpText2->text(), kOutputLabel);
  } catch (const cp932::EncodingError&) {
  }
}

bool Frmsetteiftp::show_open() {
  if (!Dlg1_FileName.isEmpty()) Dlg1->selectFile(Dlg1_FileName);
  if (Dlg1->exec() != QDialog::Accepted) return false;
  const QStringList chosen = Dlg1->selectedFiles();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return false;
  Dlg1_FileName = chosen.front();
  return true;
}

// A cancelled browse changes nothing: applying the name left from the other
// row would point the document at the log, and the next run would overwrite it.
void Frmsetteiftp::path_sw1_Click() {
  if (!show_open()) return;
  try {
    app_.state().settings.csv_path = to_cp932(Dlg1_FileName, kInputLabel);
  } catch (const cp932::EncodingError& e) {
    say(unstorable(kInputLabel, e));
    return;
  }
  FrmsetteiftpText1->setText(from_cp932(app_.state().settings.csv_path));
}

void Frmsetteiftp::path_sw2_Click() {
  if (!show_open()) return;
  try {
    app_.state().settings.xml_path = to_cp932(Dlg1_FileName, kOutputLabel);
  } catch (const cp932::EncodingError& e) {
    say(unstorable(kOutputLabel, e));
    return;
  }
  FRMsetteiftpText2->setText(from_cp932(app_.state().settings.xml_path));
}

void Frmsetteiftp::Command1_Click() {
  AppState& state = app_.state();
  if (state.settings.csv_path.empty()) {
    say(QStringLiteral("入力ファイルを設定して下さい"));
    return;
  }
  if (state.settings.xml_path.empty()) {
    say(QStringLiteral("出力ファイルを設定して下さい"));
    return;
  }
  if (frmsetteiftpText3->text().isEmpty()) {
    say(QStringLiteral("コールサインを入力して下さい"));
    return;
  }
  if (frmsetteiftpText4->text().isEmpty()) {
    say(QStringLiteral("サーバパスワードを入力して下さい"));
    return;
  }

  // Every box must be storable before anything is copied or written.
  Settings next = state.settings;
  const std::vector<std::pair<std::string*, std::pair<QLineEdit*, const char*>>> fields = {
      {&next.csv_path, {FrmsetteiftpText1, kInputLabel}},
      {&next.xml_path, {FRMsetteiftpText2, kOutputLabel}},
      {&next.callsign, {frmsetteiftpText3, kCallsignLabel}},
      {&next.server_password, {frmsetteiftpText4, kPasswordLabel}},
      {&next.my_portable, {settei_my_portable, "My Portable"}},
      {&next.address1, {settei_ad1, "Address1"}},
      {&next.address2, {settei_ad2, "Address2"}},
      {&next.address3, {settei_ad3, "Address3"}},
      {&next.design_no, {settei_design_no, "QSL Design-No or Filename"}},
      {&next.qsl_path, {settei_path, "Path"}},
      {&next.qsl_name, {settei_name, "Your QSL Name"}},
  };
  for (const auto& [field, source] : fields) {
    try {
      *field = to_cp932(source.first->text(), source.second);
    } catch (const cp932::EncodingError& e) {
      say(unstorable(source.second, e));
      source.first->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  next.log_search = check_value(settei_log_Check);
  next.hangup_on_exit = check_value(Check_kiru);

  try {
    write_settings(state.settings_path, next);
  } catch (const std::exception& e) {
    say(QStringLiteral("設定ファイルを保存できませんでした。\n") + error_text(e));
    return;
  }
  state.settings = next;
  say(QStringLiteral("設定を更新しました。"));
  app_.open_main();
}

void Frmsetteiftp::Command2_Click() { app_.open_main(); }

void Frmsetteiftp::closeEvent(QCloseEvent* event) {
  event->accept();
  app_.window_closed_by_user(this);
}

}  // namespace quillon

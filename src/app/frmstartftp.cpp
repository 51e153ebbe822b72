#include "app/frmstartftp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <cstdio>
#include <exception>
#include <fstream>

#include "app/settings.h"
#include "app/startup.h"
#include "app/upload_run.h"
#include "conversion/conversion.h"
#include "ftp/ftp.h"
#include "platform/cp932.h"
#include "platform/paths.h"

namespace quillon {
namespace {

const QColor kLightGray(192, 192, 192);

const char* const kAlreadyRunning = "Quillonは既に起動しています!!";
const char* const kSettingsFirst = "まず最初に設定を行って下さい";
const char* const kCopyright = "Copyright (C) 2026 Quillon";

QPushButton* make_button(QWidget* parent, const char* caption, int x, int y, int w, int h,
                         bool gray_face) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setGeometry(x, y, w, h);
  b->setAutoDefault(false);
  b->setDefault(false);
  if (gray_face) {
    QPalette pal = b->palette();
    pal.setColor(QPalette::Button, kLightGray);
    b->setPalette(pal);
  }
  return b;
}

// Our own errors quote paths as CP932 bytes; others speak UTF-8.
QString error_text(const std::exception& e) {
  if (dynamic_cast<const SettingsError*>(&e) != nullptr ||
      dynamic_cast<const RunError*>(&e) != nullptr)
    return from_cp932(e.what());
  return QString::fromUtf8(e.what());
}

}  // namespace

frmstartftp::frmstartftp(AppController& app)
    : QWidget(nullptr,
              Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                  Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      app_(app) {
  setWindowTitle(QStringLiteral("Quillon for Tarnis"));
  setWindowIcon(quillon_icon());
  setFixedSize(kClientWidth, kClientHeight);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, kLightGray);
  setPalette(pal);
  setAutoFillBackground(true);
  // The buttons use the window's font.
  setFont(form_font(ms_pgothic(), 9));

  ip_status = new QLineEdit(this);
  ip_status->setGeometry(16, 16, 249, 19);
  ip_status->setFont(form_font(ms_pgothic(), 9.75));
  QPalette status_pal = ip_status->palette();
  status_pal.setColor(QPalette::Base, kLightGray);
  ip_status->setPalette(status_pal);
  ip_status->setToolTip(QStringLiteral("処理ステータスを表示します。"));

  cmdOK = make_button(this, "アップロード開始", 280, 16, 113, 25, true);

  Label1 = new QLabel(QStringLiteral("CSV > XML >>>> Varnel"), this);
  Label1->setGeometry(24, 48, 225, 25);
  Label1->setFont(form_font(courier_new(), 12, true, true));
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette label_pal = Label1->palette();
  label_pal.setColor(QPalette::WindowText, Qt::black);
  Label1->setPalette(label_pal);
  Label1->setToolTip(QStringLiteral("転送が始まると、ここに進行状況を表示します。"));

  // Made after Label1, so it lies above it while a transfer runs.
  Picture1 = new PictureBox(QSize(249, 17), this);
  Picture1->move(16, 48);

  Command1 = make_button(this, "設定", 280, 48, 49, 25, false);
  Cmdcancel = make_button(this, "終了", 344, 48, 49, 25, true);

  Label3 = new QLabel(QString::fromLatin1(kXmlDeclaration), this);
  Label3->setGeometry(328, 0, 49, 9);
  Label3->setVisible(false);

  setTabOrder(cmdOK, Command1);
  setTabOrder(Command1, Cmdcancel);
  setTabOrder(Cmdcancel, ip_status);

  connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Cmdcancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmstartftp::~frmstartftp() = default;

void frmstartftp::say(const QString& text) { app_.message_box(isVisible() ? this : nullptr, text); }

void frmstartftp::Form_Load() {
  AppState& s = app_.state();

  // 1. Before anything is read or written.
  if (!app_.claim_single_instance()) {
    std::fprintf(stderr, "%s\n", kAlreadyRunning);
    std::fflush(stderr);
    say(QString::fromUtf8(kAlreadyRunning));
    app_.close_main_and_end();
    return;
  }
  // 2, 3.
  s.bar().Target(&Picture1->surface());
  Picture1->hide();
  // 4, 5.
  s.win_dir = platform::settings_folder();
  s.settings_path = s.win_dir + platform::kPathSeparator + "qsodata.qsl";
  s.work_xml_path = s.win_dir + platform::kPathSeparator + "qsoupdata.xml";
  // 6.
  if (platform::ordinary_file_exists(s.settings_path)) {
    try {
      s.settings = read_settings(s.settings_path);
    } catch (const std::exception& e) {
      say(QStringLiteral("設定ファイルを読み込めませんでした。\n") + error_text(e));
    }
  } else {
    say(QString::fromUtf8(kSettingsFirst));
    try {
      write_settings(s.settings_path, s.settings);
    } catch (const std::exception& e) {
      say(QStringLiteral("設定ファイルを保存できませんでした。\n") + error_text(e));
    }
    std::ofstream work(s.work_xml_path, std::ios::binary | std::ios::trunc);
    if (!work) {
      say(QStringLiteral("作業ファイルを作成できませんでした。\n") +
          QString::fromStdString(s.work_xml_path));
    }
  }
  // 7.
  set_status(kCopyright);
  // 8.
  if (s.inet_state != "ok") {
    FtpEnv env = app_.ftp_env(*this);
    ftpinit(env);
    if (!s.failed_stage.empty()) errchk(env);
  }
}

void frmstartftp::cmdOK_Click() {
  FtpEnv env = app_.ftp_env(*this);
  try {
    quillon::cmdOK_Click(env);
  } catch (const std::exception& e) {
    // Nothing may unwind into the event loop; leave the window usable.
    unsetCursor();
    say(error_text(e));
    cmdOK->setEnabled(true);
    Cmdcancel->setEnabled(true);
    Command1->setEnabled(true);
  }
}

void frmstartftp::Command1_Click() { app_.open_settings(); }

void frmstartftp::cmdCancel_Click() {
  AppState& s = app_.state();
  s.progress_bar.reset();
  if (s.settings.hangup_on_exit == 1) app_.inet().autodial_hangup(0);
  app_.close_main_and_end();
}

void frmstartftp::closeEvent(QCloseEvent* event) {
  event->accept();
  app_.window_closed_by_user(this);
}

// --- MainView ------------------------------------------------------------------

void frmstartftp::set_status(std::string_view text) {
  status_bytes_.assign(text);
  status_shown_ = from_cp932(text);
  ip_status->setText(status_shown_);
  ip_status->setCursorPosition(0);
}

std::string frmstartftp::status() const {
  const QString now = ip_status->text();
  if (now == status_shown_) return status_bytes_;
  // The user typed into the box.
  try {
    return to_cp932(now, "status");
  } catch (const cp932::EncodingError&) {
    return status_bytes_;
  }
}

void frmstartftp::set_enabled(Button button, bool enabled) {
  switch (button) {
    case Button::cmdOK: cmdOK->setEnabled(enabled); break;
    case Button::Cmdcancel: Cmdcancel->setEnabled(enabled); break;
    case Button::Command1: Command1->setEnabled(enabled); break;
  }
}

void frmstartftp::set_picture_visible(bool visible) { Picture1->setVisible(visible); }

void frmstartftp::set_cursor(Cursor cursor) {
  if (cursor == Cursor::Wait) {
    setCursor(Qt::WaitCursor);
  } else {
    unsetCursor();
  }
}

void frmstartftp::repaint() { QWidget::repaint(); }

void frmstartftp::set_label1_caption(std::string_view text) { Label1->setText(from_cp932(text)); }

std::string frmstartftp::label3_caption() const {
  try {
    return to_cp932(Label3->text(), "Label3");
  } catch (const cp932::EncodingError&) {
    return kXmlDeclaration;
  }
}

void frmstartftp::message_box(std::string_view text) { say(from_cp932(text)); }

void frmstartftp::beep() { QApplication::beep(); }

}  // namespace quillon

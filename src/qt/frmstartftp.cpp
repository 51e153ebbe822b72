#include "qt/frmstartftp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "qt/form_support.h"

namespace quillon {
namespace {

const QColor kLightGray(192, 192, 192);

QPushButton* make_button(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h,
                         bool gray_face) {
  auto* b = new QPushButton(QString::fromUtf8(caption), parent);
  b->setObjectName(name);
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

}  // namespace

frmstartftp::frmstartftp(MainForm& form)
    : QWidget(nullptr,
              Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                  Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      form_(form) {
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
  ip_status->setObjectName(QStringLiteral("ip_status"));
  ip_status->setGeometry(16, 16, 249, 19);
  ip_status->setFont(form_font(ms_pgothic(), 9.75));
  QPalette status_pal = ip_status->palette();
  status_pal.setColor(QPalette::Base, kLightGray);
  ip_status->setPalette(status_pal);
  ip_status->setToolTip(QStringLiteral("処理ステータスを表示します。"));

  cmdOK = make_button(this, "cmdOK", "アップロード開始", 280, 16, 113, 25, true);

  Label1 = new QLabel(QStringLiteral("CSV > XML >>>> Varnel"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(24, 48, 225, 25);
  Label1->setFont(form_font(courier_new(), 12, true, true));
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette label_pal = Label1->palette();
  label_pal.setColor(QPalette::WindowText, Qt::black);
  Label1->setPalette(label_pal);
  Label1->setToolTip(QStringLiteral("転送が始まると、ここに進行状況を表示します。"));

  // Made after Label1, so it lies above it while a transfer runs.
  Picture1 = new PictureBox(QSize(249, 17), this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  Picture1->move(16, 48);

  Command1 = make_button(this, "Command1", "設定", 280, 48, 49, 25, false);
  Cmdcancel = make_button(this, "Cmdcancel", "終了", 344, 48, 49, 25, true);

  Label3 = new QLabel(QString::fromLatin1(kXmlDeclaration), this);
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->setGeometry(328, 0, 49, 9);
  Label3->setVisible(false);

  setTabOrder(cmdOK, Command1);
  setTabOrder(Command1, Cmdcancel);
  setTabOrder(Cmdcancel, ip_status);

  connect(cmdOK, &QPushButton::clicked, this, [this] { form_.cmdOK_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });
  connect(Cmdcancel, &QPushButton::clicked, this, [this] { form_.cmdCancel_Click(); });
}

frmstartftp::~frmstartftp() = default;

void frmstartftp::closeEvent(QCloseEvent* event) {
  event->accept();
  form_.closed_by_user();
}

// --- MainView ------------------------------------------------------------------

void frmstartftp::set_status(std::string_view text) {
  ip_status->setText(QString::fromStdString(status_.set(text)));
  ip_status->setCursorPosition(0);
}

std::string frmstartftp::status() const { return status_.read(ip_status->text().toStdString()); }

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

// Before the window stands, the box has no parent.
void frmstartftp::message_box(std::string_view text) {
  quillon::message_box(isVisible() ? this : nullptr, from_cp932(text));
}

void frmstartftp::beep() { QApplication::beep(); }

Surface& frmstartftp::picture1() { return Picture1->surface(); }

// The focus starts on the first in the tab order, as in the dialog.
void frmstartftp::show() {
  show_centred(this);
  cmdOK->setFocus(Qt::OtherFocusReason);
}

void frmstartftp::close() {
  hide();
  // Often called from one of the window's own handlers: deleted once they return.
  deleteLater();
}

}  // namespace quillon

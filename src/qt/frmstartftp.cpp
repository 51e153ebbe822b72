#include "qt/frmstartftp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "qt/form_layout.h"
#include "qt/form_support.h"

namespace quillon {

frmstartftp::frmstartftp(MainForm& form) : QWidget(nullptr, form_flags(form::kFrmstartftp)), form_(form) {
  lay_out(this, form::kFrmstartftp);
  ip_status = control<QLineEdit>(this, "ip_status");
  cmdOK = control<QPushButton>(this, "cmdOK");
  Label1 = control<QLabel>(this, "Label1");
  Picture1 = control<PictureBox>(this, "Picture1");
  Command1 = control<QPushButton>(this, "Command1");
  Cmdcancel = control<QPushButton>(this, "Cmdcancel");
  Label3 = control<QLabel>(this, "Label3");
  connect(cmdOK, &QPushButton::clicked, this, [this] { form_.cmdOK_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { form_.Command1_Click(); });
  connect(Cmdcancel, &QPushButton::clicked, this, [this] { form_.cmdCancel_Click(); });
}

frmstartftp::~frmstartftp() = default;

void frmstartftp::closeEvent(QCloseEvent* event) {
  if (form_.running()) {
    event->ignore();
    return;
  }
  event->accept();
  form_.closed_by_user();
}

void frmstartftp::hold_input(bool held) {
  if (held) qApp->installEventFilter(this);
  else qApp->removeEventFilter(this);
}

// While held, the mouse and the keyboard reach nothing in this window; its
// own boxes are windows of their own and answer as ever.
bool frmstartftp::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu: {
      const auto* widget = qobject_cast<const QWidget*>(watched);
      return widget != nullptr && widget->window() == this;
    }
    default: return false;
  }
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
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
    return kXmlDeclaration;
  }
}

// Before the window stands, the box has no parent.
void frmstartftp::message_box(std::string_view text) {
  quillon::message_box(isVisible() ? this : nullptr, from_cp932(text));
}

int frmstartftp::ask(const Question& q) {
  QStringList buttons;
  for (const std::string& b : q.buttons) buttons << from_cp932(b);
  return question_box(isVisible() ? this : nullptr, from_cp932(q.text), buttons, q.enter, q.escape);
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

#include "qt/form_support.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QPushButton>
#include <QScreen>

#include <cmath>
#include <utility>

#include "platform/cp932.h"

namespace quillon {

// --- icon --------------------------------------------------------------------

QImage quillon_icon_image() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  const QColor navy(0, 0, 128), white(255, 255, 255), red(192, 0, 0), gold(224, 160, 0), gray(128, 128, 128);
  // A QSL card.
  p.fillRect(1, 6, 28, 21, navy);
  p.fillRect(3, 8, 24, 17, white);
  p.fillRect(5, 11, 12, 2, red);
  p.fillRect(5, 15, 16, 1, gray);
  p.fillRect(5, 18, 16, 1, gray);
  p.fillRect(5, 21, 10, 1, gray);
  // The quill across its corner.
  p.setPen(Qt::NoPen);
  p.setBrush(gold);
  p.drawPolygon(
      QPolygon({QPoint(31, 0), QPoint(26, 2), QPoint(19, 11), QPoint(18, 16), QPoint(22, 14), QPoint(29, 6)}));
  p.setPen(QPen(navy, 1));
  p.drawLine(30, 1, 17, 18);
  p.drawLine(17, 18, 16, 20);
  p.end();
  // A paletted picture, as the window icons of the platform are.
  return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

QIcon quillon_icon() {
  static const QIcon icon(QPixmap::fromImage(quillon_icon_image()));
  return icon;
}

// --- text at the edge -----------------------------------------------------------

QString from_cp932(std::string_view bytes) { return QString::fromStdString(cp932::to_utf8_lossy(bytes)); }

std::string to_cp932(const QString& text, std::string_view what) { return cp932::from_utf8(text.toStdString(), what); }

QFont form_font(const QStringList& families, double points, bool bold, bool italic) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setItalic(italic);
  return font;
}

QStringList ms_gothic() {
  return {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
          QStringLiteral("monospace")};
}

QStringList ms_pgothic() {
  return {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
          QStringLiteral("IPAGothic")};
}

QStringList ms_serif() {
  return {QStringLiteral("MS Serif"), QStringLiteral("Times New Roman"), QStringLiteral("DejaVu Serif"),
          QStringLiteral("serif")};
}

QStringList courier_new() {
  return {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
          QStringLiteral("monospace")};
}

void centre_on_screen(QWidget* window) {
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize size = window->frameGeometry().size();
  window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void show_centred(QWidget* window) {
  centre_on_screen(window);
  window->show();
  centre_on_screen(window);
}

// --- message box ------------------------------------------------------------------

namespace {
MessageBoxHook& hook() {
  static MessageBoxHook h;
  return h;
}
QuestionHook& question_hook() {
  static QuestionHook h;
  return h;
}
}  // namespace

void set_message_box_hook(MessageBoxHook h) { hook() = std::move(h); }
void set_question_hook(QuestionHook h) { question_hook() = std::move(h); }

int question_box(QWidget* parent, const QString& text, const QStringList& buttons, int enter, int escape) {
  if (question_hook()) return question_hook()(text, buttons, enter, escape);
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("quillon"), text, QMessageBox::NoButton, parent);
  box.setWindowIcon(quillon_icon());
  QList<QPushButton*> made;
  // One role for all, so the box keeps their order.
  for (const QString& b : buttons) made.push_back(box.addButton(b, QMessageBox::ActionRole));
  box.setDefaultButton(made.value(enter));
  box.setEscapeButton(made.value(escape));
  box.exec();
  const int pressed = static_cast<int>(made.indexOf(qobject_cast<QPushButton*>(box.clickedButton())));
  return pressed < 0 ? escape : pressed;
}

void message_box(QWidget* parent, const QString& text) {
  if (hook()) {
    hook()(parent, text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("quillon"), text, QMessageBox::Ok, parent);
  box.setWindowIcon(quillon_icon());
  box.exec();
}

}  // namespace quillon

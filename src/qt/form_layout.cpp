#include "qt/form_layout.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QProxyStyle>
#include <QPushButton>

#include <cstring>

#include "qt/form_support.h"
#include "qt/picture_box.h"

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

QColor colour(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void paint(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette pal = widget->palette();
  pal.setColor(role, colour);
  widget->setPalette(pal);
}

// The form's families, each with what stands in for it on this system.
QFont font(const form::Font& f) {
  const QStringList families = std::strcmp(f.family, "ＭＳ ゴシック") == 0     ? ms_gothic()
                               : std::strcmp(f.family, "ＭＳ Ｐゴシック") == 0 ? ms_pgothic()
                               : std::strcmp(f.family, "MS Serif") == 0        ? ms_serif()
                               : std::strcmp(f.family, "Courier New") == 0     ? courier_new()
                                                                           : QStringList{QString::fromUtf8(f.family)};
  return form_font(families, f.points, f.bold, f.italic);
}

QWidget* make(QWidget* window, const form::Control& c) {
  const QString caption = QString::fromUtf8(c.caption);
  switch (c.kind) {
    case form::Kind::Label: {
      auto* label = new QLabel(caption, window);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      paint(label, QPalette::WindowText, Qt::black);
      return label;
    }
    case form::Kind::TextBox:
    case form::Kind::MaskedBox: {
      auto* box = new QLineEdit(caption, window);
      if (c.kind == form::Kind::MaskedBox) {
        box->setEchoMode(QLineEdit::Password);
        auto* stars = new StarPasswordStyle;
        stars->setParent(box);
        box->setStyle(stars);
      }
      if (c.colour != form::kSystemColour) paint(box, QPalette::Base, colour(c.colour));
      return box;
    }
    case form::Kind::Button: {
      auto* button = new QPushButton(caption, window);
      button->setAutoDefault(false);
      button->setDefault(false);
      if (c.colour != form::kSystemColour) paint(button, QPalette::Button, colour(c.colour));
      return button;
    }
    case form::Kind::CheckBox: return new QCheckBox(caption, window);
    case form::Kind::HLine:
    case form::Kind::VLine: {
      auto* line = new QFrame(window);
      line->setFrameShape(c.kind == form::Kind::HLine ? QFrame::HLine : QFrame::VLine);
      line->setFrameShadow(QFrame::Plain);
      line->setLineWidth(1);
      paint(line, QPalette::WindowText, Qt::black);
      return line;
    }
    case form::Kind::PictureBox: return new PictureBox(QSize(c.at.w, c.at.h), window);
  }
  return nullptr;
}

}  // namespace

Qt::WindowFlags form_flags(const form::Form& form) {
  const Qt::WindowFlags flags =
      Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  return form.resizable ? flags : flags | Qt::MSWindowsFixedSizeDialogHint;
}

void lay_out(QWidget* window, const form::Form& form) {
  window->setWindowTitle(QString::fromUtf8(form.caption));
  window->setWindowIcon(quillon_icon());
  // The controls keep their places whatever the size, so no layout.
  if (form.resizable) window->resize(form.width, form.height);
  else window->setFixedSize(form.width, form.height);
  if (form.colour != form::kSystemColour) {
    paint(window, QPalette::Window, colour(form.colour));
    window->setAutoFillBackground(true);
  }
  window->setFont(font(form.font));
  for (const form::Control& c : form.controls) {
    QWidget* widget = make(window, c);
    widget->setObjectName(QString::fromLatin1(c.name));
    widget->setGeometry(c.at.x, c.at.y, c.at.w, c.at.h);
    if (c.font.family != nullptr) widget->setFont(font(c.font));
    if (c.tooltip != nullptr) widget->setToolTip(QString::fromUtf8(c.tooltip));
    if (c.hidden) widget->setVisible(false);
  }
  for (std::size_t i = 1; i < form.tab_order.size(); ++i)
    QWidget::setTabOrder(control<QWidget>(window, form.tab_order[i - 1]), control<QWidget>(window, form.tab_order[i]));
}

}  // namespace quillon

#include "qt/qimage_surface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <string>

#include "platform/cp932.h"

namespace quillon {
namespace {

QString decode(std::string_view cp932_text) {
  // Captions are nearly always ASCII; spare them the converter.
  const bool ascii =
      std::all_of(cp932_text.begin(), cp932_text.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
  if (ascii) return QString::fromLatin1(cp932_text.data(), static_cast<qsizetype>(cp932_text.size()));
  return QString::fromStdString(cp932::to_utf8(cp932_text));
}

}  // namespace

QImageSurface::QImageSurface(QSize pixels, Colour box_color)
    : PictureSurface(pixels.width(), pixels.height(), box_color), image_(pixels, QImage::Format_RGB32) {
  QFont f;
  f.setPixelSize(12);
  set_font(f);
  cls();
}

void QImageSurface::cls() {
  image_.fill(to_qcolor(box_color()));
  home();
}

void QImageSurface::set_font(const QFont& font) {
  font_ = font;
  font_.setStyleStrategy(QFont::NoAntialias);
}

float QImageSurface::text_width(std::string_view cp932_text) const {
  const QFontMetricsF fm(font_, &image_);
  return to_units_x(fm.horizontalAdvance(decode(cp932_text)));
}

float QImageSurface::text_height(std::string_view cp932_text) const {
  (void)cp932_text;  // one line: the font's line height
  const QFontMetricsF fm(font_, &image_);
  return to_units_y(fm.height());
}

void QImageSurface::print(std::string_view cp932_text) {
  const QString text = decode(cp932_text);
  const QFontMetricsF fm(font_, &image_);
  {
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(to_qcolor(fore_color()));
    p.drawText(QPointF(to_px_x(current_x()), to_px_y(current_y()) + fm.ascent()), text);
  }
  set_current_x(0);
  set_current_y(current_y() + text_height(cp932_text));
}

void QImageSurface::fill_box(float x1, float y1, float x2, float y2, Colour c) {
  const PixelBox b = box(x1, y1, x2, y2);
  if (b.empty()) return;
  QPainter p(&image_);
  p.setCompositionMode(draw_mode() == kDrawModeNotXorPen ? QPainter::RasterOp_NotSourceXorDestination
                                                         : QPainter::CompositionMode_Source);
  p.fillRect(QRect(b.left, b.top, b.right - b.left + 1, b.bottom - b.top + 1), to_qcolor(c));
}

Colour QImageSurface::pixel(int x, int y) const { return from_qrgb(image_.pixel(x, y)); }

QColor QImageSurface::to_qcolor(Colour c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

Colour QImageSurface::from_qrgb(QRgb rgb) {
  return static_cast<Colour>(qRed(rgb)) | static_cast<Colour>(qGreen(rgb)) << 8 | static_cast<Colour>(qBlue(rgb)) << 16;
}

}  // namespace quillon

#include "widgets/qt/qimage_surface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/cp932.h"
#include "widgets/box_pixels.h"

namespace quillon {
namespace {

QString decode(std::string_view cp932_text) {
  // Captions are nearly always ASCII; spare them the converter.
  const bool ascii = std::all_of(cp932_text.begin(), cp932_text.end(),
                                 [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
  if (ascii) return QString::fromLatin1(cp932_text.data(), static_cast<qsizetype>(cp932_text.size()));
  return QString::fromStdString(cp932::to_utf8(cp932_text));
}

}  // namespace

QImageSurface::QImageSurface(QSize pixels, Colour box_color)
    : image_(pixels, QImage::Format_RGB32),
      box_color_(box_color),
      scale_w_(static_cast<float>(pixels.width())),
      scale_h_(static_cast<float>(pixels.height())) {
  if (pixels.width() <= 0 || pixels.height() <= 0)
    throw Error("picture box: the size must be positive");
  QFont f;
  f.setPixelSize(12);
  set_font(f);
  cls();
}

void QImageSurface::cls() {
  image_.fill(to_qcolor(box_color_));
  current_x_ = 0;
  current_y_ = 0;
}

void QImageSurface::set_scale_width(float w) {
  check_scale(w, "scale width");
  scale_w_ = w;
}

void QImageSurface::set_scale_height(float h) {
  check_scale(h, "scale height");
  scale_h_ = h;
}

void QImageSurface::set_draw_mode(int mode) {
  if (mode != kDrawModeCopyPen && mode != kDrawModeNotXorPen)
    throw Error("picture box: unsupported draw mode " + std::to_string(mode));
  draw_mode_ = mode;
}

void QImageSurface::set_font(const QFont& font) {
  font_ = font;
  font_.setStyleStrategy(QFont::NoAntialias);
}

double QImageSurface::to_px_x(float x) const {
  return static_cast<double>(x) * image_.width() / static_cast<double>(scale_w_);
}

double QImageSurface::to_px_y(float y) const {
  return static_cast<double>(y) * image_.height() / static_cast<double>(scale_h_);
}

float QImageSurface::text_width(std::string_view cp932_text) const {
  const QFontMetricsF fm(font_, &image_);
  return static_cast<float>(fm.horizontalAdvance(decode(cp932_text)) * scale_w_ / image_.width());
}

float QImageSurface::text_height(std::string_view cp932_text) const {
  (void)cp932_text;  // one line: the font's line height
  const QFontMetricsF fm(font_, &image_);
  return static_cast<float>(fm.height() * scale_h_ / image_.height());
}

void QImageSurface::print(std::string_view cp932_text) {
  const QString text = decode(cp932_text);
  const QFontMetricsF fm(font_, &image_);
  {
    QPainter p(&image_);
    p.setFont(font_);
    p.setPen(to_qcolor(fore_));
    p.drawText(QPointF(to_px_x(current_x_), to_px_y(current_y_) + fm.ascent()), text);
  }
  current_x_ = 0;
  current_y_ = current_y_ + text_height(cp932_text);
}

void QImageSurface::fill_box(float x1, float y1, float x2, float y2, Colour c) {
  const PixelBox b = box_pixels(x1, y1, x2, y2, scale_w_, scale_h_, image_.width(), image_.height());
  if (b.empty()) return;
  QPainter p(&image_);
  p.setCompositionMode(draw_mode_ == kDrawModeNotXorPen ? QPainter::RasterOp_NotSourceXorDestination
                                                       : QPainter::CompositionMode_Source);
  p.fillRect(QRect(b.left, b.top, b.right - b.left + 1, b.bottom - b.top + 1), to_qcolor(c));
}

void QImageSurface::refresh() {
  if (on_refresh_) on_refresh_();
}

Colour QImageSurface::pixel(int x, int y) const { return from_qrgb(image_.pixel(x, y)); }

QColor QImageSurface::to_qcolor(Colour c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

Colour QImageSurface::from_qrgb(QRgb rgb) {
  return static_cast<Colour>(qRed(rgb)) | static_cast<Colour>(qGreen(rgb)) << 8 |
         static_cast<Colour>(qBlue(rgb)) << 16;
}

}  // namespace quillon

#pragma once
// A picture box's persistent image kept in a QImage and drawn with QPainter.
// Needs a QGuiApplication (fonts).
#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

#include <string_view>

#include "widgets/picture_surface.h"

namespace quillon {

class QImageSurface : public PictureSurface {
 public:
  // `pixels` is the box's inner size.
  explicit QImageSurface(QSize pixels, Colour box_color = 0xF0F0F0);

  void cls() override;
  float text_width(std::string_view cp932_text) const override;
  float text_height(std::string_view cp932_text) const override;
  // Top left of the text at the text position; afterwards the position moves to the
  // start of the next line.
  void print(std::string_view cp932_text) override;
  void fill_box(float x1, float y1, float x2, float y2, Colour c) override;

  // Text is drawn without anti-aliasing, so that each caption pixel is exactly
  // the fore colour and the raster ops over it give clean colours.
  void set_font(const QFont& font);
  const QFont& font() const { return font_; }
  const QImage& image() const { return image_; }
  Colour pixel(int x, int y) const;

  static QColor to_qcolor(Colour c);
  static Colour from_qrgb(QRgb rgb);

 private:
  QImage image_;
  QFont font_;
};

}  // namespace quillon

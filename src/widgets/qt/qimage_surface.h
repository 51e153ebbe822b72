#pragma once
// A picture box's persistent image kept in a QImage and drawn with QPainter.
// Needs a QGuiApplication (fonts).
#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

#include <functional>
#include <string_view>
#include <utility>

#include "widgets/surface.h"

namespace quillon {

class QImageSurface : public Surface {
 public:
  // `pixels` is the box's inner size; the user scale starts as that size (one unit
  // a pixel). `box_color` is what cls() clears to.
  explicit QImageSurface(QSize pixels, Colour box_color = 0xF0F0F0);

  void cls() override;
  void set_auto_redraw(bool on) override { auto_redraw_ = on; }
  float scale_width() const override { return scale_w_; }
  float scale_height() const override { return scale_h_; }
  // Throw Error for 0 or a value that is not finite.
  void set_scale_width(float w) override;
  void set_scale_height(float h) override;
  // Only kDrawModeCopyPen and kDrawModeNotXorPen; others throw Error.
  void set_draw_mode(int mode) override;
  void set_fore_color(Colour c) override { fore_ = c; }
  void set_current_x(float x) override { current_x_ = x; }
  void set_current_y(float y) override { current_y_ = y; }
  float text_width(std::string_view cp932_text) const override;
  float text_height(std::string_view cp932_text) const override;
  // Top left of the text at the text position; afterwards the position moves to the
  // start of the next line.
  void print(std::string_view cp932_text) override;
  void fill_box(float x1, float y1, float x2, float y2, Colour c) override;
  void refresh() override;

  // Text is drawn without anti-aliasing, so that each caption pixel is exactly
  // the fore colour and the raster ops over it give clean colours.
  void set_font(const QFont& font);
  const QFont& font() const { return font_; }
  void set_box_color(Colour c) { box_color_ = c; }
  Colour box_color() const { return box_color_; }
  void set_refresh_callback(std::function<void()> cb) { on_refresh_ = std::move(cb); }

  bool auto_redraw() const { return auto_redraw_; }
  int draw_mode() const { return draw_mode_; }
  Colour fore_color() const { return fore_; }
  float current_x() const { return current_x_; }
  float current_y() const { return current_y_; }
  const QImage& image() const { return image_; }
  Colour pixel(int x, int y) const;

  static QColor to_qcolor(Colour c);
  static Colour from_qrgb(QRgb rgb);

 private:
  double to_px_x(float x) const;
  double to_px_y(float y) const;

  QImage image_;
  QFont font_;
  Colour box_color_;
  Colour fore_ = 0x000000;
  int draw_mode_ = kDrawModeCopyPen;
  bool auto_redraw_ = false;
  float scale_w_;
  float scale_h_;
  float current_x_ = 0;
  float current_y_ = 0;
  std::function<void()> on_refresh_;
};

}  // namespace quillon

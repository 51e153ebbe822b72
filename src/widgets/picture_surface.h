#pragma once
// What every picture box keeps alike, whatever draws its pixels: its size in
// pixels, the user scale, the draw mode, the fore colour, the text position,
// and which pixels a box in user units covers.
#include <functional>
#include <utility>

#include "widgets/box_pixels.h"
#include "widgets/surface.h"

namespace quillon {

class PictureSurface : public Surface {
 public:
  // The user scale starts as the size in pixels (one unit a pixel). `box_color`
  // is what cls() clears to. Throws Error for a size that is not positive.
  PictureSurface(int width, int height, Colour box_color);

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
  void refresh() override {
    if (on_refresh_) on_refresh_();
  }

  void set_refresh_callback(std::function<void()> cb) { on_refresh_ = std::move(cb); }
  void set_box_color(Colour c) { box_color_ = c; }
  Colour box_color() const { return box_color_; }
  bool auto_redraw() const { return auto_redraw_; }
  int draw_mode() const { return draw_mode_; }
  Colour fore_color() const { return fore_; }
  float current_x() const { return current_x_; }
  float current_y() const { return current_y_; }

 protected:
  int width() const { return width_; }
  int height() const { return height_; }
  double to_px_x(float x) const { return static_cast<double>(x) * width_ / static_cast<double>(scale_w_); }
  double to_px_y(float y) const { return static_cast<double>(y) * height_ / static_cast<double>(scale_h_); }
  // User units of a text extent in pixels.
  float to_units_x(double px) const { return static_cast<float>(px * scale_w_ / width_); }
  float to_units_y(double px) const { return static_cast<float>(px * scale_h_ / height_); }
  PixelBox box(float x1, float y1, float x2, float y2) const {
    return box_pixels(x1, y1, x2, y2, scale_w_, scale_h_, width_, height_);
  }
  // cls() starts the text at the top left.
  void home() { current_x_ = current_y_ = 0; }

 private:
  int width_, height_;
  Colour box_color_;
  Colour fore_ = 0x000000;
  int draw_mode_ = kDrawModeCopyPen;
  bool auto_redraw_ = false;
  float scale_w_, scale_h_;
  float current_x_ = 0, current_y_ = 0;
  std::function<void()> on_refresh_;
};

}  // namespace quillon

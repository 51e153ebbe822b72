#pragma once
// The picture box on GDI: a 32-bit DIB section selected into a memory DC,
// which the window blits to Picture1 on refresh.
#include <functional>
#include <memory>
#include <string>

#include "widgets/surface.h"

namespace quillon {

class GdiSurface final : public Surface {
 public:
  GdiSurface(int width, int height, Colour box_color = 0xF0F0F0);
  ~GdiSurface() override;
  GdiSurface(const GdiSurface&) = delete;
  GdiSurface& operator=(const GdiSurface&) = delete;

  void cls() override;
  void set_auto_redraw(bool) override {}
  float scale_width() const override { return scale_w_; }
  float scale_height() const override { return scale_h_; }
  void set_scale_width(float w) override;
  void set_scale_height(float h) override;
  void set_draw_mode(int mode) override;
  void set_fore_color(Colour c) override { fore_ = c; }
  void set_current_x(float x) override { current_x_ = x; }
  void set_current_y(float y) override { current_y_ = y; }
  float text_width(std::string_view cp932_text) const override;
  float text_height(std::string_view cp932_text) const override;
  void print(std::string_view cp932_text) override;
  void fill_box(float x1, float y1, float x2, float y2, Colour c) override;
  void refresh() override;

  // A font by face name (UTF-8) and pixel height, Shift-JIS character set.
  void set_font(const std::string& face, int pixel_height);
  void set_refresh_callback(std::function<void()> cb) { on_refresh_ = std::move(cb); }
  // The memory DC (an HDC), for the window to blit from.
  void* dc() const;
  Colour pixel(int x, int y) const;

 private:
  struct Gdi;
  std::unique_ptr<Gdi> gdi_;
  int width_, height_;
  Colour box_color_;
  float scale_w_, scale_h_;
  int draw_mode_ = kDrawModeCopyPen;
  Colour fore_ = 0;
  float current_x_ = 0, current_y_ = 0;
  std::function<void()> on_refresh_;
};

}  // namespace quillon

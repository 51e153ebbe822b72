#pragma once
// A picture box with no pixels, for the scripted windows: it keeps the caption
// the bar prints and hands it on at each refresh.
#include <functional>
#include <string>
#include <utility>

#include "widgets/surface.h"

namespace quillon {

class CaptionSurface : public Surface {
 public:
  using Shown = std::function<void(const std::string& caption)>;
  explicit CaptionSurface(Shown shown = {}) : shown_(std::move(shown)) {}

  void cls() override {}
  void set_auto_redraw(bool) override {}
  float scale_width() const override { return width_; }
  float scale_height() const override { return height_; }
  void set_scale_width(float w) override { width_ = w; }
  void set_scale_height(float h) override { height_ = h; }
  void set_draw_mode(int) override {}
  void set_fore_color(Colour) override {}
  void set_current_x(float) override {}
  void set_current_y(float) override {}
  float text_width(std::string_view) const override { return 0; }
  float text_height(std::string_view) const override { return 0; }
  void print(std::string_view text) override { caption_ = text; }
  void fill_box(float, float, float, float, Colour) override {}
  void refresh() override {
    if (shown_) shown_(caption_);
  }

 private:
  Shown shown_;
  std::string caption_;
  float width_ = 100;
  float height_ = 17;
};

}  // namespace quillon

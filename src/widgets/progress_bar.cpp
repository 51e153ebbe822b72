#include "widgets/progress_bar.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>

namespace quillon {
namespace {

constexpr Colour kWhite = 0xFFFFFF;

// Halves go to the even neighbour, as the platform's own conversion does.
std::int32_t round_scale(float v, const char* what) {
  const double r = std::nearbyint(static_cast<double>(v));
  if (!std::isfinite(r) || r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
    throw Error(Failed::Display, std::string("progress bar: the ") + what + " " + std::to_string(v) +
                                     " does not fit a 32-bit whole number");
  return static_cast<std::int32_t>(r);
}

float to_single(double v, const char* what) {
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
    throw Error(Failed::Display, std::string("progress bar: the ") + what + " is not a finite number");
  return static_cast<float>(v);
}

std::int32_t checked_sub(std::int32_t a, std::int32_t b) {
  const std::int64_t r = std::int64_t{a} - std::int64_t{b};
  if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
    throw Error(Failed::Display, "progress bar: the bar height overflows a 32-bit whole number");
  return static_cast<std::int32_t>(r);
}

}  // namespace

clsProgressBar::clsProgressBar() = default;

void clsProgressBar::Target(Surface* picNewTarget) {
  target_ = picNewTarget;
  // Letting go of the picture box: nothing to draw on.
  if (!target_) return;
  target_->cls();
  target_->set_auto_redraw(true);
  target_->set_scale_width(static_cast<float>(max_));
  Value(0);
}

void clsProgressBar::Value(std::int32_t lngNewValue) {
  std::int32_t v = lngNewValue;
  if (v < 0) {
    v = 0;
  } else if (v > max_) {
    v = max_;
  }
  value_ = v;

  if (!target_) throw Error(Failed::Display, "progress bar: no target picture box has been set");
  Surface& pic = *target_;

  const std::int32_t w = round_scale(pic.scale_width(), "scale width");
  std::int32_t h = round_scale(pic.scale_height(), "scale height");

  pic.cls();
  pic.set_draw_mode(kDrawModeCopyPen);
  pic.fill_box(0, 0, static_cast<float>(w), static_cast<float>(h), kWhite);
  pic.set_draw_mode(kDrawModeNotXorPen);
  pic.set_fore_color(bar_color_);

  const std::string caption = value_show_ ? std::to_string(value_) + unit_ : unit_;
  const double text_w = pic.text_width(caption);
  const double text_h = pic.text_height(caption);
  // Centred on Max rather than on the scale width: the two agree as the bar is used.
  pic.set_current_x(to_single(static_cast<double>(max_) / 2.0 - text_w / 2.0, "caption position"));
  pic.set_current_y(to_single((static_cast<double>(h) - text_h) / 2.0, "caption position"));
  pic.print(caption);

  // An empty bar draws its box flat; the caption above kept the full height.
  if (value_ == 0) h = 0;

  const float fv = static_cast<float>(value_);
  if (style_ == 0) {
    pic.fill_box(0, 0, fv, static_cast<float>(h), bar_color_);
    const float s = pic.scale_height();
    pic.fill_box(fv, 0, static_cast<float>(w), s, back_color_);
  } else if (style_ == 1) {
    const float top = static_cast<float>(checked_sub(h, value_));
    pic.fill_box(0, static_cast<float>(h), static_cast<float>(w), top, bar_color_);
    pic.fill_box(0, 0, static_cast<float>(w), top, back_color_);
  }

  pic.refresh();
}

void clsProgressBar::BarColor(Colour lngNewBarColor) {
  bar_color_ = lngNewBarColor;
  Redraw();
}

void clsProgressBar::Max(std::int32_t lngNewMax) {
  // A zero scale is meaningless to the picture box; refuse it while the bar is intact.
  if (lngNewMax == 0) throw Error(Failed::Display, "progress bar: Max must not be 0");
  max_ = lngNewMax;
  if (!target_) throw Error(Failed::Display, "progress bar: no target picture box has been set");
  target_->set_scale_width(static_cast<float>(max_));
  target_->set_scale_height(static_cast<float>(max_));
  Redraw();
}

void clsProgressBar::Unit(std::string strNewUnit) {
  unit_ = std::move(strNewUnit);
  Redraw();
}

void clsProgressBar::ValueShow(bool bolNewValue) {
  value_show_ = bolNewValue;
  Redraw();
}

void clsProgressBar::BackColor(Colour lngNewBackColor) {
  back_color_ = lngNewBackColor;
  Redraw();
}

void clsProgressBar::Style(std::int32_t lngNewStyle) {
  style_ = lngNewStyle;
  Max(max_);
  Redraw();
}

void clsProgressBar::Redraw() { Value(value_); }

}  // namespace quillon

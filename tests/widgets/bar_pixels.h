#pragma once
// The bar's scripts drawn on a real picture, pixel by pixel, for every kind
// of picture box alike:
// "region X Y W H BACKGROUND CAPTION [caption]": every pixel there is of one of
// the two colours, and with "caption" some are of the caption's colour;
// "caption-centred": the caption pixels sit around the picture's middle.
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>

#include "widgets/bar_script.h"

namespace quillon::testing {

inline constexpr int kBarWidth = 249, kBarHeight = 17;
inline constexpr Colour kUnpainted = 0xC0C0C0;  // the bar must paint it all

template <typename Picture>
void check_bar_pixels(const std::function<std::unique_ptr<Picture>()>& make) {
  std::unique_ptr<Picture> pic;
  std::unique_ptr<clsProgressBar> bar;
  int caption_left = kBarWidth, caption_right = -1;
  each_bar_script(
      [&](const std::string&) {
        pic = make();
        bar = std::make_unique<clsProgressBar>();
        caption_left = kBarWidth, caption_right = -1;
      },
      [&](const std::string& where, const std::string& verb, const std::string& rest) {
        if (verb == ">" || verb == "end") return;
        std::istringstream w(rest);
        if (verb == "scale") {
          std::size_t used = 0;
          const float sw = std::stof(rest, &used), sh = std::stof(rest.substr(used));
          // What no picture box could hold is for the recording surface only.
          if (std::isfinite(sw) && std::abs(sh) < 1e6f) pic->set_scale_width(sw), pic->set_scale_height(sh);
        } else if (verb == "region") {
          int x, y, rw, rh;
          std::string back, fore, need;
          w >> x >> y >> rw >> rh >> back >> fore >> need;
          int stray = 0, in_caption = 0;
          for (int py = y; py < y + rh; ++py)
            for (int px = x; px < x + rw; ++px) {
              const std::string c = hex_colour(pic->pixel(px, py));
              if (c == fore) ++in_caption, caption_left = std::min(caption_left, px), caption_right = std::max(caption_right, px);
              else if (c != back) ++stray;
            }
          EXPECT_EQ(stray, 0) << where << ": pixels of neither colour, e.g. " << hex_colour(pic->pixel(x, y)) << " "
                              << hex_colour(pic->pixel(x + rw - 1, y));
          if (need == "caption") {
            EXPECT_GT(in_caption, 0) << where << ": no caption";
          }
        } else if (verb == "caption-centred") {
          EXPECT_NEAR((caption_left + caption_right + 1) / 2.0, kBarWidth / 2.0, 4.0) << where;
          caption_left = kBarWidth, caption_right = -1;
        } else {
          apply(*bar, *pic, verb, rest, where);
        }
      });
}

}  // namespace quillon::testing

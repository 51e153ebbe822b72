#pragma once
// A picture box's operations, pixel by pixel, for every kind alike: what the
// progress bar's recorded calls come to on a real picture.
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "widgets/surface.h"

namespace quillon::testing {

inline constexpr int kBarWidth = 249, kBarHeight = 17;

// `make(w, h, colour)` makes the picture box.
template <typename Picture>
void check_surface(const std::function<std::unique_ptr<Picture>(int, int, Colour)>& make) {
  constexpr Colour kNavy = 0x800000, kWhite = 0xFFFFFF;
  // The pixels of `colour`: the rectangle around them (x, y, w, h; w 0 for
  // none) and how many there are.
  const auto covered = [](const Picture& pic, Colour colour) {
    int left = kBarWidth, top = kBarHeight, right = -1, bottom = -1, n = 0;
    for (int y = 0; y < kBarHeight; ++y)
      for (int x = 0; x < kBarWidth; ++x)
        if (pic.pixel(x, y) == colour)
          ++n, left = std::min(left, x), top = std::min(top, y), right = std::max(right, x),
               bottom = std::max(bottom, y);
    return std::vector<int>{right < 0 ? 0 : left, right < 0 ? 0 : top, right + 1 - (right < 0 ? 0 : left),
                            bottom + 1 - (right < 0 ? 0 : top), n};
  };
  // Boxes cover both corners in user units, whichever way round they come.
  const std::vector<std::vector<float>> boxes = {
      {249, 17, 0, 0, 0, 0, 0, 0, 1, 1},         {249, 17, 2, 3, 5, 7, 2, 3, 4, 5},
      {249, 17, 5, 7, 2, 3, 2, 3, 4, 5},         {100, 17, 0, 0, 100, 17, 0, 0, 249, 17},
      {100, 17, 0, 0, 50, 17, 0, 0, 125, 17},    {100, 17, 50, 0, 100, 17, 124, 0, 125, 17},
      {100, 100, 0, 100, 100, 50, 0, 8, 249, 9}, {249, 17, -10, -10, 3, 400, 0, 0, 4, 17},
      {249, 17, 300, 0, 400, 10, 0, 0, 0, 0},    {249, 17, 0, -9, 10, -2, 0, 0, 0, 0}};
  for (const auto& b : boxes) {
    auto pic = make(kBarWidth, kBarHeight, kWhite);
    pic->set_scale_width(b[0]);
    pic->set_scale_height(b[1]);
    pic->fill_box(b[2], b[3], b[4], b[5], kNavy);
    const std::vector<int> got = covered(*pic, kNavy);
    EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 4),
              (std::vector<int>{int(b[6]), int(b[7]), int(b[8]), int(b[9])}))
        << b[2] << "," << b[3] << " " << b[4] << "," << b[5] << " on " << b[0] << "x" << b[1];
    EXPECT_EQ(got[4], got[2] * got[3]) << "a frame, not a filled box";
  }
  // Copy, then NOT (colour XOR pixel).
  const Colour colours[] = {kNavy, kWhite, 0x00FFFF, 0x123456, 0x000000};
  for (Colour under : colours)
    for (Colour shape : colours) {
      auto pic = make(8, 8, 0xC0C0C0);
      pic->fill_box(0, 0, 7, 7, under);
      pic->set_draw_mode(kDrawModeNotXorPen);
      pic->fill_box(0, 0, 3, 7, shape);
      EXPECT_EQ(pic->pixel(1, 1), ~(shape ^ under) & 0xFFFFFF) << std::hex << shape << " over " << under;
      EXPECT_EQ(pic->pixel(6, 1), under);
      pic->set_draw_mode(kDrawModeCopyPen);
      pic->fill_box(0, 0, 3, 7, shape);
      EXPECT_EQ(pic->pixel(1, 1), shape);
    }
  // Text takes the fore colour alone, whatever the draw mode: printed twice it
  // would cancel out if it were xor-drawn.
  auto pic = make(kBarWidth, kBarHeight, kWhite);
  pic->set_draw_mode(kDrawModeNotXorPen);
  pic->set_fore_color(kNavy);
  for (int i = 0; i < 2; ++i) {
    pic->set_current_x(10);
    pic->set_current_y(0);
    pic->print("88%");
  }
  EXPECT_GE(covered(*pic, kNavy)[0], 10);
  EXPECT_EQ(covered(*pic, kNavy)[4] + covered(*pic, kWhite)[4], kBarWidth * kBarHeight);
  EXPECT_EQ(pic->current_x(), 0.0f);  // the text position moved to the next line
  EXPECT_FLOAT_EQ(pic->current_y(), pic->text_height("88%"));
  // Extents in user units; CP932 text ("進捗") measures.
  const float w = pic->text_width("100%"), h = pic->text_height("100%");
  EXPECT_GT(w, pic->text_width("0%"));
  EXPECT_EQ(pic->text_width(""), 0.0f);
  pic->set_scale_width(100);
  pic->set_scale_height(100);
  EXPECT_FLOAT_EQ(pic->text_width("100%"), w * 100.0f / kBarWidth);
  EXPECT_FLOAT_EQ(pic->text_height("100%"), h * 100.0f / kBarHeight);
  EXPECT_GT(pic->text_width("\x90\x69\x92\xBB"), 0.0f);
  EXPECT_THROW(pic->set_scale_width(0), Error);
  EXPECT_THROW(pic->set_scale_height(0), Error);
  EXPECT_THROW(pic->set_draw_mode(7), Error);
  EXPECT_EQ(pic->draw_mode(), kDrawModeNotXorPen);
  pic->cls();
  EXPECT_EQ(covered(*pic, kWhite)[4], kBarWidth * kBarHeight);
  EXPECT_EQ(pic->current_y(), 0.0f);
}

}  // namespace quillon::testing

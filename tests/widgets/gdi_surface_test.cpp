// The GDI picture box draws the bar's scripts to the same pixels as the Qt
// one (tests/data/progress_bar, "region" lines), outside the caption's glyphs,
// whose font differs; and its boxes cover what the Qt one's cover.
#include <gtest/gtest.h>

#include "widgets/bar_pixels.h"
#include "widgets/win32/gdi_surface.h"

namespace quillon {
namespace {

TEST(GdiSurface, EachBarScriptsPixels) {
  testing::check_bar_pixels<GdiSurface>(
      [] { return std::make_unique<GdiSurface>(testing::kBarWidth, testing::kBarHeight, testing::kUnpainted); });
}

TEST(GdiSurface, BoxesCopyOrInvertAndRefuseBadScales) {
  GdiSurface pic(249, 17, 0xFFFFFF);
  pic.set_scale_width(100);
  pic.fill_box(0, 0, 50, 17, 0x800000);  // copy: the box's own colour, both corners included
  EXPECT_EQ(pic.pixel(0, 0), 0x800000u);
  EXPECT_EQ(pic.pixel(124, 16), 0x800000u);
  EXPECT_EQ(pic.pixel(125, 0), 0xFFFFFFu);
  pic.set_draw_mode(kDrawModeNotXorPen);
  pic.fill_box(0, 0, 100, 17, 0x800000);  // NOT (colour XOR pixel)
  EXPECT_EQ(pic.pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(pic.pixel(200, 0), 0x800000u);
  EXPECT_THROW(pic.set_scale_width(0), Error);
  EXPECT_THROW(pic.set_draw_mode(7), Error);
  EXPECT_GT(pic.text_width("100%"), pic.text_width("0%"));
  pic.cls();
  EXPECT_EQ(pic.pixel(200, 0), 0xFFFFFFu);
}

}  // namespace
}  // namespace quillon

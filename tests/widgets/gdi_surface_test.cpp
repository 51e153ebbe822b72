// The GDI picture box does what the Qt one does: the same operations, and the
// bar's scripts to the same pixels outside the caption's glyphs, whose font
// differs.
#include <gtest/gtest.h>

#include "widgets/bar_pixels.h"
#include "widgets/win32/gdi_surface.h"

namespace quillon {
namespace {

std::unique_ptr<GdiSurface> make(int w, int h, Colour box) { return std::make_unique<GdiSurface>(w, h, box); }

TEST(GdiSurface, BoxesDrawModesAndText) { testing::check_surface<GdiSurface>(make); }

TEST(GdiSurface, EachBarScriptsPixels) {
  testing::check_bar_pixels<GdiSurface>([] { return make(testing::kBarWidth, testing::kBarHeight, testing::kUnpainted); });
}

}  // namespace
}  // namespace quillon

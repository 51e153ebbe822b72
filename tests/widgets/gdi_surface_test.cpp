// The GDI picture box draws as the Qt one does.
#include "win32/gdi_surface.h"
#include "widgets/surface_checks.h"

TEST(GdiSurface, BoxesDrawModesAndText) {
  quillon::testing::check_surface<quillon::GdiSurface>(
      [](int w, int h, quillon::Colour c) { return std::make_unique<quillon::GdiSurface>(w, h, c); });
}

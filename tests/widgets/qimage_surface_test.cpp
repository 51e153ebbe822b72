// The Qt picture box, pixel by pixel.
#include <QApplication>

#include "qt/qimage_surface.h"
#include "widgets/surface_checks.h"

TEST(QImageSurface, BoxesDrawModesAndText) {
  int argc = 1;
  char name[] = "widgets", *argv[] = {name, nullptr};
  QApplication app(argc, argv);
  quillon::testing::check_surface<quillon::QImageSurface>(
      [](int w, int h, quillon::Colour c) { return std::make_unique<quillon::QImageSurface>(QSize(w, h), c); });
}

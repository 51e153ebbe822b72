// The Qt picture box: its own operations and the bar's scripts, pixel by pixel.
#include <gtest/gtest.h>

#include <QApplication>

#include "widgets/bar_pixels.h"
#include "widgets/qt/qimage_surface.h"

namespace quillon {
namespace {

struct QtEnvironment : ::testing::Environment {
  void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
  void TearDown() override { app.reset(); }
  int argc = 1;
  char name[8] = "widgets";
  char* argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> app;
};
::testing::Environment* const qt_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::unique_ptr<QImageSurface> make(int w, int h, Colour box) {
  return std::make_unique<QImageSurface>(QSize(w, h), box);
}

TEST(QImageSurface, BoxesDrawModesAndText) { testing::check_surface<QImageSurface>(make); }

TEST(QImageSurface, EachBarScriptsPixels) {
  testing::check_bar_pixels<QImageSurface>([] { return make(testing::kBarWidth, testing::kBarHeight, testing::kUnpainted); });
}

}  // namespace
}  // namespace quillon

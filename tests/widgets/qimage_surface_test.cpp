// The QImage surface, the bar's scripts drawn on it pixel by pixel, and the
// picture box widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>

#include <sstream>

#include "widgets/bar_pixels.h"
#include "widgets/qt/picture_box.h"
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

constexpr Colour kNavy = 0x800000, kWhite = 0xFFFFFF, kGrey = 0xC0C0C0;
constexpr int kW = 249, kH = 17;

// The pixels covered in `colour`, as the rectangle around them (empty: none).
QRect covered(const QImageSurface& pic, Colour colour) {
  QRect r;
  for (int y = 0; y < pic.image().height(); ++y)
    for (int x = 0; x < pic.image().width(); ++x)
      if (pic.pixel(x, y) == colour) r |= QRect(x, y, 1, 1);
  return r;
}

TEST(QImageSurface, BoxesCoverBothCornersInUserUnits) {
  struct Case {
    float sw, sh, x1, y1, x2, y2;
    QRect want;
  } cases[] = {
      {249, 17, 0, 0, 0, 0, {0, 0, 1, 1}},       {249, 17, 2, 3, 5, 7, {2, 3, 4, 5}},
      {249, 17, 5, 7, 2, 3, {2, 3, 4, 5}},       {100, 17, 0, 0, 100, 17, {0, 0, 249, 17}},
      {100, 17, 0, 0, 50, 17, {0, 0, 125, 17}},  {100, 17, 50, 0, 100, 17, {124, 0, 125, 17}},
      {100, 100, 0, 100, 100, 50, {0, 8, 249, 9}}, {249, 17, -10, -10, 3, 400, {0, 0, 4, 17}},
      {249, 17, 300, 0, 400, 10, {}},            {249, 17, 0, -9, 10, -2, {}},
  };
  for (const Case& c : cases) {
    QImageSurface pic(QSize(kW, kH), kWhite);
    pic.set_scale_width(c.sw);
    pic.set_scale_height(c.sh);
    pic.fill_box(c.x1, c.y1, c.x2, c.y2, kNavy);
    const QRect got = covered(pic, kNavy);
    EXPECT_EQ(got, c.want) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2 << " on " << c.sw << "x" << c.sh;
    // Every pixel inside is covered: a rectangle, not a frame.
    EXPECT_EQ(got.width() * got.height(), [&] {
      int n = 0;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) n += pic.pixel(x, y) == kNavy;
      return n;
    }());
  }
}

TEST(QImageSurface, DrawModesTextAndRefusals) {
  const Colour colours[] = {kNavy, kWhite, 0x00FFFF, 0x123456, 0x000000};
  for (Colour under : colours)
    for (Colour shape : colours) {
      QImageSurface pic(QSize(8, 8), kGrey);
      pic.fill_box(0, 0, 7, 7, under);
      pic.set_draw_mode(kDrawModeNotXorPen);
      pic.fill_box(0, 0, 3, 7, shape);
      EXPECT_EQ(pic.pixel(1, 1), ~(shape ^ under) & 0xFFFFFF) << std::hex << shape << " over " << under;
      EXPECT_EQ(pic.pixel(6, 1), under);
      pic.set_draw_mode(kDrawModeCopyPen);
      pic.fill_box(0, 0, 3, 7, shape);
      EXPECT_EQ(pic.pixel(1, 1), shape);
    }
  // Text takes the fore colour alone, whatever the draw mode: printed twice it
  // would cancel out if it were xor-drawn.
  QImageSurface pic(QSize(kW, kH), kWhite);
  pic.set_draw_mode(kDrawModeNotXorPen);
  pic.set_fore_color(kNavy);
  for (int i = 0; i < 2; ++i) {
    pic.set_current_x(10);
    pic.set_current_y(0);
    pic.print("88%");
  }
  EXPECT_GE(covered(pic, kNavy).left(), 10);
  EXPECT_EQ(covered(pic, kNavy) | covered(pic, kWhite), QRect(0, 0, kW, kH));
  int other = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) other += pic.pixel(x, y) != kNavy && pic.pixel(x, y) != kWhite;
  EXPECT_EQ(other, 0);
  EXPECT_EQ(pic.current_x(), 0.0f);  // the text position moved to the next line
  EXPECT_FLOAT_EQ(pic.current_y(), pic.text_height("88%"));
  // Extents in user units; CP932 text ("進捗") measures and prints.
  const float w = pic.text_width("100%"), h = pic.text_height("100%");
  EXPECT_GT(w, pic.text_width("0%"));
  EXPECT_EQ(pic.text_width(""), 0.0f);
  pic.set_scale_width(100);
  pic.set_scale_height(100);
  EXPECT_FLOAT_EQ(pic.text_width("100%"), w * 100.0f / kW);
  EXPECT_FLOAT_EQ(pic.text_height("100%"), h * 100.0f / kH);
  EXPECT_GT(pic.text_width("\x90\x69\x92\xBB"), 0.0f);
  EXPECT_THROW(pic.set_scale_width(0), Error);
  EXPECT_THROW(pic.set_scale_height(0), Error);
  EXPECT_THROW(pic.set_draw_mode(7), Error);
  EXPECT_EQ(pic.draw_mode(), kDrawModeNotXorPen);
  EXPECT_FLOAT_EQ(pic.scale_width(), 100.0f);
  pic.cls();
  EXPECT_EQ(covered(pic, kWhite), QRect(0, 0, kW, kH));
  EXPECT_EQ(pic.current_y(), 0.0f);
}

TEST(QImageSurface, EachBarScriptsPixels) {
  testing::check_bar_pixels<QImageSurface>(
      [] { return std::make_unique<QImageSurface>(QSize(kW, kH), testing::kUnpainted); });
}

}  // namespace
}  // namespace quillon

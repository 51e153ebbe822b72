// The QImage surface, the bar drawn on it pixel by pixel, and the picture box widget.
#include "widgets/qt/qimage_surface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QObject>

#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "widgets/qt/picture_box.h"
#include "widgets/progress_bar.h"

namespace quillon {
namespace {

// Fonts and widgets need the application object for the whole run.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "widgets_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};
::testing::Environment* const qt_env = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

constexpr Colour kNavy = 0x800000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kGrey = 0xC0C0C0;
constexpr int kW = 249;
constexpr int kH = 17;

Colour not_xor(Colour shape, Colour pixel) { return ~(shape ^ pixel) & 0xFFFFFF; }

// ---- the surface on its own ----

TEST(QImageSurface, StartsInPixelsAndClearsToTheBoxColour) {
  QImageSurface pic(QSize(kW, kH), kGrey);
  EXPECT_EQ(pic.image().format(), QImage::Format_RGB32);
  EXPECT_FLOAT_EQ(pic.scale_width(), 249.0f);
  EXPECT_FLOAT_EQ(pic.scale_height(), 17.0f);
  pic.set_current_x(10);
  pic.set_current_y(3);
  pic.fill_box(0, 0, 248, 16, kNavy);
  pic.cls();
  EXPECT_EQ(pic.current_x(), 0.0f);
  EXPECT_EQ(pic.current_y(), 0.0f);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(pic.pixel(x, y), kGrey);
}

struct BoxCase {
  const char* name;
  float sw, sh;
  float x1, y1, x2, y2;
  QRect covered;  // empty: nothing
};

TEST(QImageSurface, FilledBoxCoversBothCornersInUserUnits) {
  const BoxCase cases[] = {
      {"point at the origin", 249, 17, 0, 0, 0, 0, QRect(0, 0, 1, 1)},
      {"pixel scale", 249, 17, 2, 3, 5, 7, QRect(2, 3, 4, 5)},
      {"corners swapped", 249, 17, 5, 7, 2, 3, QRect(2, 3, 4, 5)},
      {"whole scale ends at the last pixel", 100, 17, 0, 0, 100, 17, QRect(0, 0, 249, 17)},
      {"half of a 0..100 scale", 100, 17, 0, 0, 50, 17, QRect(0, 0, 125, 17)},
      {"right half of a 0..100 scale", 100, 17, 50, 0, 100, 17, QRect(124, 0, 125, 17)},
      {"vertical 0..100 scale", 100, 100, 0, 100, 100, 50, QRect(0, 8, 249, 9)},
      {"sticking out is clipped", 249, 17, -10, -10, 3, 400, QRect(0, 0, 4, 17)},
      {"entirely outside", 249, 17, 300, 0, 400, 10, QRect()},
      {"entirely above", 249, 17, 0, -9, 10, -2, QRect()},
  };
  for (const BoxCase& c : cases) {
    QImageSurface pic(QSize(kW, kH), kWhite);
    pic.set_scale_width(c.sw);
    pic.set_scale_height(c.sh);
    pic.fill_box(c.x1, c.y1, c.x2, c.y2, kNavy);
    int wrong = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if ((pic.pixel(x, y) == kNavy) != c.covered.contains(x, y)) ++wrong;
    EXPECT_EQ(wrong, 0) << c.name;
  }
}

TEST(QImageSurface, NotXorModeCombinesWithThePixelAndCopyModeReplacesIt) {
  const Colour colours[] = {kNavy, kWhite, 0x00FFFF, 0x123456, 0x000000};
  for (Colour under : colours) {
    for (Colour shape : colours) {
      QImageSurface pic(QSize(8, 8), kWhite);
      pic.set_draw_mode(kDrawModeCopyPen);
      pic.fill_box(0, 0, 7, 7, under);
      pic.set_draw_mode(kDrawModeNotXorPen);
      pic.fill_box(0, 0, 3, 7, shape);
      EXPECT_EQ(pic.pixel(1, 1), not_xor(shape, under)) << std::hex << shape << " over " << under;
      EXPECT_EQ(pic.pixel(6, 1), under);
      pic.set_draw_mode(kDrawModeCopyPen);
      pic.fill_box(0, 0, 3, 7, shape);
      EXPECT_EQ(pic.pixel(1, 1), shape);
    }
  }
}

TEST(QImageSurface, TextIgnoresTheDrawModeAndHasNoBackground) {
  QImageSurface pic(QSize(kW, kH), kWhite);
  pic.set_draw_mode(kDrawModeNotXorPen);
  pic.set_fore_color(kNavy);
  pic.set_current_x(10);
  pic.set_current_y(0);
  pic.print("88%");
  pic.set_current_x(10);
  pic.set_current_y(0);
  pic.print("88%");  // would cancel out if it were xor-drawn
  int navy = 0;
  int other = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const Colour c = pic.pixel(x, y);
      if (c == kNavy) {
        ++navy;
        EXPECT_GE(x, 10);
      } else if (c != kWhite) {
        ++other;
      }
    }
  EXPECT_GT(navy, 10);
  EXPECT_EQ(other, 0) << "text must be drawn in the fore colour alone";
  // the position moved to the next line
  EXPECT_EQ(pic.current_x(), 0.0f);
  EXPECT_FLOAT_EQ(pic.current_y(), pic.text_height("88%"));
}

TEST(QImageSurface, TextExtentIsInUserUnits) {
  QImageSurface pic(QSize(kW, kH), kWhite);
  const float px_w = pic.text_width("100%");
  const float px_h = pic.text_height("100%");
  EXPECT_GT(px_w, 10.0f);
  EXPECT_LT(px_w, 60.0f);
  EXPECT_GT(px_h, 5.0f);
  EXPECT_LE(px_h, 17.0f);
  EXPECT_GT(pic.text_width("100%"), pic.text_width("0%"));
  EXPECT_EQ(pic.text_width(""), 0.0f);
  pic.set_scale_width(100);
  pic.set_scale_height(100);
  EXPECT_FLOAT_EQ(pic.text_width("100%"), px_w * 100.0f / 249.0f);
  EXPECT_FLOAT_EQ(pic.text_height("100%"), px_h * 100.0f / 17.0f);
  // Japanese text in code page 932 ("進捗") measures and prints.
  EXPECT_GT(pic.text_width("\x90\x69\x92\xBB"), 0.0f);
  EXPECT_NO_THROW(pic.print("\x90\x69\x92\xBB"));
}

TEST(QImageSurface, RefusesAZeroScaleAndUnknownDrawModes) {
  QImageSurface pic(QSize(kW, kH));
  EXPECT_THROW(pic.set_scale_width(0), Error);
  EXPECT_THROW(pic.set_scale_height(0), Error);
  EXPECT_FLOAT_EQ(pic.scale_width(), 249.0f);
  EXPECT_THROW(pic.set_draw_mode(7), Error);
  EXPECT_EQ(pic.draw_mode(), kDrawModeCopyPen);
}

TEST(QImageSurface, RefreshCallsBack) {
  QImageSurface pic(QSize(kW, kH));
  int calls = 0;
  pic.refresh();  // no callback yet: nothing happens
  pic.set_refresh_callback([&] { ++calls; });
  pic.refresh();
  pic.refresh();
  EXPECT_EQ(calls, 2);
}

// ---- the bar drawn on it ----

struct Region {
  QRect area;
  Colour background;
  Colour caption;
  bool caption_required;
};

struct BarCase {
  const char* name;
  std::function<void(clsProgressBar&)> set;
  std::int32_t stored_value;
  std::string caption;  // what should be written, for its width
  std::vector<Region> regions;
};

const QRect kAll(0, 0, kW, kH);
const QRect kLeftHalf(0, 0, 124, kH);    // left of the bar's edge at column 124
const QRect kRightHalf(125, 0, 124, kH);  // right of it

std::vector<BarCase> bar_cases() {
  constexpr Colour kYellow = 0x00FFFF;
  constexpr Colour kRed = 0x0000FF;
  const std::vector<Region> empty = {{QRect(1, 0, kW - 1, 1), kWhite, kNavy, false},
                                     {QRect(0, 1, kW, kH - 1), kWhite, kNavy, true}};
  const std::vector<Region> half = {{QRect(0, 0, 125, kH), kNavy, kWhite, true},
                                    {kRightHalf, kWhite, kNavy, true}};
  const std::vector<Region> full = {{kAll, kNavy, kWhite, true}};
  return {
      {"value 0", [](clsProgressBar& b) { b.Value(0); }, 0, "0%", empty},
      {"value -5 is 0", [](clsProgressBar& b) { b.Value(-5); }, 0, "0%", empty},
      {"value 50", [](clsProgressBar& b) { b.Value(50); }, 50, "50%", half},
      {"value 100", [](clsProgressBar& b) { b.Value(100); }, 100, "100%", full},
      {"value 150 is 100", [](clsProgressBar& b) { b.Value(150); }, 100, "100%", full},
      {"ValueShow false",
       [](clsProgressBar& b) {
         b.Value(50);
         b.ValueShow(false);
       },
       50, "%", half},
      {"Unit empty",
       [](clsProgressBar& b) {
         b.Value(50);
         b.Unit("");
       },
       50, "50", half},
      {"Style 1 fills from the bottom",
       [](clsProgressBar& b) {
         b.Style(1);
         b.Value(50);
       },
       50, "50%",
       {{QRect(0, 0, kW, 8), kWhite, kNavy, true}, {QRect(0, 8, kW, 9), kNavy, kWhite, true}}},
      {"Style 2 caption only",
       [](clsProgressBar& b) {
         b.Style(2);
         b.Value(50);
       },
       50, "50%", {{kAll, kWhite, kNavy, true}}},
      {"BackColor yellow",
       [](clsProgressBar& b) {
         b.BackColor(kYellow);
         b.Value(50);
       },
       50, "50%",
       {{kLeftHalf, kNavy, kWhite, true}, {kRightHalf, kYellow, not_xor(kYellow, kNavy), true}}},
      {"BackColor yellow, empty",
       [](clsProgressBar& b) {
         b.BackColor(kYellow);
         b.Value(0);
       },
       0, "0%",
       {{QRect(1, 0, kW - 1, 1), kYellow, not_xor(kYellow, kNavy), false},
        {QRect(0, 1, kW, kH - 1), kYellow, not_xor(kYellow, kNavy), true}}},
      {"BarColor red",
       [](clsProgressBar& b) {
         b.BarColor(kRed);
         b.Value(50);
       },
       50, "50%", {{QRect(0, 0, 125, kH), kRed, kWhite, true}, {kRightHalf, kWhite, kRed, true}}},
  };
}

TEST(ProgressBarPixels, EachSettingDrawsItsRegionsAndACentredCaption) {
  for (const BarCase& c : bar_cases()) {
    SCOPED_TRACE(c.name);
    // A grey box, as a window would have it: the bar must paint over all of it.
    QImageSurface pic(QSize(kW, kH), kGrey);
    clsProgressBar bar;
    bar.Target(&pic);
    c.set(bar);
    EXPECT_EQ(bar.Value(), c.stored_value);

    QRect caption_box;
    int caption_pixels = 0;
    for (const Region& r : c.regions) {
      int stray = 0;
      int in_caption = 0;
      for (int y = r.area.top(); y <= r.area.bottom(); ++y)
        for (int x = r.area.left(); x <= r.area.right(); ++x) {
          const Colour px = pic.pixel(x, y);
          if (px == r.caption) {
            ++in_caption;
            caption_box |= QRect(x, y, 1, 1);
          } else if (px != r.background) {
            ++stray;
          }
        }
      EXPECT_EQ(stray, 0) << "pixels of neither colour in region at x " << r.area.x() << " y " << r.area.y();
      if (r.caption_required) {
        EXPECT_GT(in_caption, 0) << "no caption in region at x " << r.area.x();
      }
      caption_pixels += in_caption;
    }

    QImageSurface metrics(QSize(kW, kH));
    const float text_px = metrics.text_width(c.caption);
    EXPECT_GT(caption_pixels, 3 * static_cast<int>(c.caption.size()));
    ASSERT_FALSE(caption_box.isEmpty());
    // The caption sits around the middle of the picture, as wide as its text.
    const double centre = (caption_box.left() + caption_box.right() + 1) / 2.0;
    EXPECT_NEAR(centre, kW / 2.0, 4.0);
    EXPECT_LE(caption_box.width(), text_px + 2);
    EXPECT_GE(caption_box.width(), text_px / 2);
  }
}

TEST(ProgressBarPixels, AnEmptyBarShowsAtMostTheTopLeftPixel) {
  QImageSurface pic(QSize(kW, kH), kGrey);
  clsProgressBar bar;
  bar.Target(&pic);
  bar.Value(70);
  bar.Value(0);
  EXPECT_EQ(pic.pixel(0, 0), kNavy);
  EXPECT_EQ(pic.pixel(1, 0), kWhite);
  EXPECT_EQ(pic.pixel(0, 1), kWhite);
  EXPECT_EQ(pic.pixel(kW - 1, kH - 1), kWhite);
}

// ---- the picture box ----

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(PictureBox, HasItsFixedSizeAndRepaintsAtOnceOnRefresh) {
  PictureBox box(QSize(kW, kH));
  EXPECT_EQ(box.size(), QSize(kW, kH));
  EXPECT_EQ(box.minimumSize(), QSize(kW, kH));
  EXPECT_EQ(box.maximumSize(), QSize(kW, kH));
  EXPECT_EQ(box.surface().image().size(), QSize(kW, kH));

  box.show();
  QApplication::processEvents();
  PaintCounter counter;
  box.installEventFilter(&counter);

  clsProgressBar bar;
  bar.Target(&box.surface());
  const int after_target = counter.paints;
  EXPECT_GE(after_target, 1);
  bar.Value(50);  // no event loop runs in between, as during an upload
  EXPECT_EQ(counter.paints, after_target + 1);

  const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), QSize(kW, kH));
  EXPECT_EQ(shown, box.surface().image());
  box.removeEventFilter(&counter);
}

// ---- the docs renderer ----

TEST(RenderBarPng, WritesOnePictureAValue) {
  testing::TempDir dir;
  const std::string cmd = std::string(QUILLON_RENDER_BAR_PNG) + " " + dir.path().string() + " 0 37 100 >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  auto navy_share = [&](int value, int from_x, int to_x) {
    QImage img(QString::fromStdString(dir.file("progress-bar-" + std::to_string(value) + ".png")));
    EXPECT_EQ(img.size(), QSize(kW, kH)) << value;
    if (img.size() != QSize(kW, kH)) return -1.0;
    int navy = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = from_x; x < to_x; ++x)
        if (QImageSurface::from_qrgb(img.pixel(x, y)) == kNavy) ++navy;
    return static_cast<double>(navy) / ((to_x - from_x) * kH);
  };
  EXPECT_LT(navy_share(0, 0, kW), 0.2);
  EXPECT_GT(navy_share(100, 0, kW), 0.8);
  EXPECT_GT(navy_share(37, 0, 92), 0.8);   // 37 of 100 ends at column 92
  EXPECT_LT(navy_share(37, 93, kW), 0.2);
}

}  // namespace
}  // namespace quillon

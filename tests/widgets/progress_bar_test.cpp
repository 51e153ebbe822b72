// The drawing sequence of clsProgressBar against a surface that records every call.
#include "widgets/progress_bar.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

std::string hex(Colour c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
  return buf;
}

// Text extent: 5 units a byte wide, 8 units high.
class RecordingSurface : public Surface {
 public:
  std::vector<std::string> calls;
  float sw = 249;
  float sh = 17;

  void cls() override { calls.push_back("cls"); }
  void set_auto_redraw(bool on) override { calls.push_back(std::string("auto_redraw ") + (on ? "on" : "off")); }
  float scale_width() const override {
    calls_mut().push_back("get_scale_width");
    return sw;
  }
  float scale_height() const override {
    calls_mut().push_back("get_scale_height");
    return sh;
  }
  void set_scale_width(float w) override {
    if (w == 0) throw Error("zero scale");
    calls.push_back("scale_width " + num(w));
    sw = w;
  }
  void set_scale_height(float h) override {
    if (h == 0) throw Error("zero scale");
    calls.push_back("scale_height " + num(h));
    sh = h;
  }
  void set_draw_mode(int mode) override { calls.push_back("draw_mode " + std::to_string(mode)); }
  void set_fore_color(Colour c) override { calls.push_back("fore " + hex(c)); }
  void set_current_x(float x) override { calls.push_back("x " + num(x)); }
  void set_current_y(float y) override { calls.push_back("y " + num(y)); }
  float text_width(std::string_view t) const override {
    calls_mut().push_back("text_width " + std::string(t));
    return 5.0f * static_cast<float>(t.size());
  }
  float text_height(std::string_view t) const override {
    calls_mut().push_back("text_height " + std::string(t));
    return 8.0f;
  }
  void print(std::string_view t) override { calls.push_back("print " + std::string(t)); }
  void fill_box(float x1, float y1, float x2, float y2, Colour c) override {
    calls.push_back("box " + num(x1) + "," + num(y1) + " " + num(x2) + "," + num(y2) + " " + hex(c));
  }
  void refresh() override { calls.push_back("refresh"); }

 private:
  std::vector<std::string>& calls_mut() const { return const_cast<RecordingSurface*>(this)->calls; }
};

// What one Value set does with the defaults and a scale of 100 × 17.
std::vector<std::string> drawing(const std::string& caption, double x, const std::string& bar_box,
                                 const std::string& back_box) {
  return {"get_scale_width", "get_scale_height", "cls", "draw_mode 13", "box 0,0 100,17 FFFFFF",
          "draw_mode 10", "fore 800000", "text_width " + caption, "text_height " + caption,
          "x " + num(x), "y 4.5", "print " + caption, bar_box, "get_scale_height", back_box,
          "refresh"};
}

struct Bar {
  RecordingSurface pic;
  clsProgressBar bar;
  Bar() {
    bar.Target(&pic);
    pic.calls.clear();
  }
};

TEST(ProgressBarLogic, DefaultsBeforeAnyTarget) {
  clsProgressBar bar;
  EXPECT_EQ(bar.Value(), 0);
  EXPECT_EQ(bar.BarColor(), 0x800000u);
  EXPECT_EQ(bar.BackColor(), 0xFFFFFFu);
  EXPECT_EQ(bar.Max(), 100);
  EXPECT_EQ(bar.Unit(), "%");
  EXPECT_TRUE(bar.ValueShow());
  EXPECT_EQ(bar.Style(), 0);
}

TEST(ProgressBarLogic, TargetClearsSetsWidthFromMaxAndDrawsTheEmptyBar) {
  RecordingSurface pic;
  clsProgressBar bar;
  pic.sh = 17;
  bar.Target(&pic);
  std::vector<std::string> want = {"cls", "auto_redraw on", "scale_width 100"};
  // Empty bar: caption 0% (10 wide) around Max/2, flat bar box at the corner.
  for (auto& c : drawing("0%", 45, "box 0,0 0,0 800000", "box 0,0 100,17 FFFFFF")) want.push_back(c);
  EXPECT_THAT(pic.calls, ElementsAreArray(want));
}

TEST(ProgressBarLogic, TargetResetsValueToZero) {
  Bar b;
  b.bar.Value(64);
  b.pic.calls.clear();
  RecordingSurface other;
  b.bar.Target(&other);
  EXPECT_EQ(b.bar.Value(), 0);
  EXPECT_THAT(other.calls, ::testing::Contains("print 0%"));
  EXPECT_THAT(b.pic.calls, IsEmpty());
}

TEST(ProgressBarLogic, OneValueSetIsOneWholeRepaint) {
  Bar b;
  b.bar.Value(37);
  EXPECT_THAT(b.pic.calls,
              ElementsAreArray(drawing("37%", 42.5, "box 0,0 37,17 800000", "box 37,0 100,17 FFFFFF")));
}

TEST(ProgressBarLogic, ValueIsClampedBeforeItIsStored) {
  struct Case {
    std::int32_t max, in, stored;
  } cases[] = {{100, -5, 0},    {100, 150, 100}, {100, 100, 100},
               {100, 0, 0},     {7, 8, 7},       {-10, 5, -10},  // a negative Max stores itself
               {-10, -3, 0},    {100, std::numeric_limits<std::int32_t>::min(), 0},
               {100, std::numeric_limits<std::int32_t>::max(), 100}};
  for (const Case& c : cases) {
    Bar b;
    b.bar.Max(c.max);
    b.bar.Value(c.in);
    EXPECT_EQ(b.bar.Value(), c.stored) << "Max " << c.max << " Value " << c.in;
  }
}

TEST(ProgressBarLogic, CaptionFollowsValueShowAndUnit) {
  Bar b;
  b.bar.Value(50);
  b.bar.ValueShow(false);
  EXPECT_THAT(b.pic.calls, ::testing::Contains("print %"));
  b.pic.calls.clear();
  b.bar.ValueShow(true);
  b.bar.Unit("");
  EXPECT_THAT(b.pic.calls, ::testing::Contains("print 50"));
  b.pic.calls.clear();
  b.bar.Unit(" pct");
  EXPECT_THAT(b.pic.calls, ::testing::Contains("print 50 pct"));
}

TEST(ProgressBarLogic, CaptionIsCentredOnMaxNotOnTheScaleWidth) {
  Bar b;
  b.pic.sw = 300;  // the box was rescaled behind the bar's back
  b.pic.sh = 40;
  b.bar.Value(20);
  // x = 100/2 - 15/2, y = (40 - 8)/2
  EXPECT_THAT(b.pic.calls, ::testing::Contains("x 42.5"));
  EXPECT_THAT(b.pic.calls, ::testing::Contains("y 16"));
  EXPECT_THAT(b.pic.calls, ::testing::Contains("box 20,0 300,40 FFFFFF"));
}

TEST(ProgressBarLogic, ScaleIsRoundedHalfToEvenButTheBackBoxUsesTheRawHeight) {
  struct Case {
    float sw, sh;
    const char* white_box;
    const char* bar_box;
    const char* back_box;
  } cases[] = {
      {100.5f, 16.5f, "box 0,0 100,16 FFFFFF", "box 0,0 10,16 800000", "box 10,0 100,16.5 FFFFFF"},
      {101.5f, 17.5f, "box 0,0 102,18 FFFFFF", "box 0,0 10,18 800000", "box 10,0 102,17.5 FFFFFF"},
      {99.4f, 17.4f, "box 0,0 99,17 FFFFFF", "box 0,0 10,17 800000", "box 10,0 99,17.4 FFFFFF"},
  };
  for (const Case& c : cases) {
    Bar b;
    b.pic.sw = c.sw;
    b.pic.sh = c.sh;
    b.bar.Value(10);
    EXPECT_THAT(b.pic.calls, ::testing::Contains(c.white_box));
    EXPECT_THAT(b.pic.calls, ::testing::Contains(c.bar_box));
    EXPECT_THAT(b.pic.calls, ::testing::Contains(c.back_box));
  }
}

TEST(ProgressBarLogic, BoxesByStyle) {
  struct Case {
    std::int32_t style, value;
    std::vector<std::string> boxes;
  } cases[] = {
      {0, 30, {"box 0,0 100,17 FFFFFF", "box 0,0 30,17 800000", "box 30,0 100,17 FFFFFF"}},
      {0, 0, {"box 0,0 100,17 FFFFFF", "box 0,0 0,0 800000", "box 0,0 100,17 FFFFFF"}},
      // vertical: from the bottom up; with Value 0 both boxes lie flat on the top edge
      {1, 5, {"box 0,0 100,17 FFFFFF", "box 0,17 100,12 800000", "box 0,0 100,12 FFFFFF"}},
      {1, 0, {"box 0,0 100,17 FFFFFF", "box 0,0 100,0 800000", "box 0,0 100,0 FFFFFF"}},
      {2, 30, {"box 0,0 100,17 FFFFFF"}},
      {-1, 30, {"box 0,0 100,17 FFFFFF"}},
  };
  for (const Case& c : cases) {
    RecordingSurface pic;
    clsProgressBar bar;
    bar.Target(&pic);
    bar.Style(c.style);
    pic.sw = 100;  // Style made both scales 100; put the height back
    pic.sh = 17;
    pic.calls.clear();
    bar.Value(c.value);
    std::vector<std::string> boxes;
    for (const auto& call : pic.calls)
      if (call.rfind("box ", 0) == 0) boxes.push_back(call);
    EXPECT_EQ(boxes, c.boxes) << "Style " << c.style << " Value " << c.value;
  }
}

TEST(ProgressBarLogic, StyleReappliesMaxToBothScalesAndDrawsTwice) {
  Bar b;
  b.bar.Style(1);
  std::vector<std::string> scale_sets;
  int prints = 0;
  int refreshes = 0;
  for (const auto& call : b.pic.calls) {
    if (call.rfind("scale_", 0) == 0) scale_sets.push_back(call);
    if (call.rfind("print ", 0) == 0) ++prints;
    if (call == "refresh") ++refreshes;
  }
  EXPECT_THAT(scale_sets, ElementsAre("scale_width 100", "scale_height 100"));
  EXPECT_EQ(b.pic.calls.front(), "scale_width 100");
  EXPECT_EQ(prints, 2);
  EXPECT_EQ(refreshes, 2);
}

TEST(ProgressBarLogic, EveryOtherPropertyRepaintsOnce) {
  Bar b;
  const std::vector<std::function<void(clsProgressBar&)>> sets = {
      [](clsProgressBar& p) { p.Value(3); },          [](clsProgressBar& p) { p.BarColor(0xFF); },
      [](clsProgressBar& p) { p.Unit("pc"); },        [](clsProgressBar& p) { p.ValueShow(false); },
      [](clsProgressBar& p) { p.BackColor(0xFF00); }, [](clsProgressBar& p) { p.Max(50); },
  };
  for (const auto& set : sets) {
    b.pic.calls.clear();
    set(b.bar);
    EXPECT_EQ(std::count(b.pic.calls.begin(), b.pic.calls.end(), "refresh"), 1);
    EXPECT_EQ(std::count(b.pic.calls.begin(), b.pic.calls.end(), "cls"), 1);
  }
  EXPECT_EQ(b.bar.BarColor(), 0xFFu);
  EXPECT_EQ(b.bar.BackColor(), 0xFF00u);
  EXPECT_EQ(b.bar.Max(), 50);
  EXPECT_EQ(b.bar.Unit(), "pc");
}

TEST(ProgressBarLogic, WithoutATargetEverySetFailsAndKeepsItsField) {
  clsProgressBar bar;
  EXPECT_THROW(bar.Value(42), Error);
  EXPECT_EQ(bar.Value(), 42);
  EXPECT_THROW(bar.BarColor(0x1234), Error);
  EXPECT_EQ(bar.BarColor(), 0x1234u);
  EXPECT_THROW(bar.Max(60), Error);
  EXPECT_EQ(bar.Max(), 60);
  EXPECT_THROW(bar.Unit("pc"), Error);
  EXPECT_EQ(bar.Unit(), "pc");
  EXPECT_THROW(bar.ValueShow(false), Error);
  EXPECT_FALSE(bar.ValueShow());
  EXPECT_THROW(bar.BackColor(0x5678), Error);
  EXPECT_EQ(bar.BackColor(), 0x5678u);
  EXPECT_THROW(bar.Style(1), Error);
  EXPECT_EQ(bar.Style(), 1);
  try {
    bar.Value(1);
  } catch (const Error& e) {
    EXPECT_THAT(e.what(), ::testing::HasSubstr("no target"));
  }
}

TEST(ProgressBarLogic, ReleasingTheTargetStopsDrawing) {
  Bar b;
  b.bar.Target(nullptr);
  EXPECT_THAT(b.pic.calls, IsEmpty());
  EXPECT_THROW(b.bar.Value(5), Error);
  EXPECT_THAT(b.pic.calls, IsEmpty());
}

TEST(ProgressBarLogic, MaxZeroIsRefusedBeforeTheScaleIsTouched) {
  Bar b;
  b.bar.Value(30);
  b.pic.calls.clear();
  EXPECT_THROW(b.bar.Max(0), Error);
  EXPECT_THAT(b.pic.calls, IsEmpty());
  EXPECT_EQ(b.bar.Max(), 100);
  EXPECT_EQ(b.bar.Value(), 30);
  // The bar goes on working.
  b.bar.Value(40);
  EXPECT_THAT(b.pic.calls, ::testing::Contains("box 0,0 40,17 800000"));
}

TEST(ProgressBarLogic, MaxSetsBothScales) {
  Bar b;
  b.bar.Max(250);
  EXPECT_THAT(std::vector<std::string>(b.pic.calls.begin(), b.pic.calls.begin() + 2),
              ElementsAre("scale_width 250", "scale_height 250"));
  EXPECT_THAT(b.pic.calls, ::testing::Contains("x 120"));  // 250/2 - 10/2
}

TEST(ProgressBarLogic, ArithmeticOutOfRangeIsAnErrorNotUndefined) {
  {
    // H - Value below the 32-bit range
    Bar b;
    b.bar.Style(1);
    b.pic.sh = -2147483648.0f;
    EXPECT_THROW(b.bar.Value(1), Error);
  }
  {
    // a scale height that no 32-bit number holds
    Bar b;
    b.pic.sh = 3.0e9f;
    EXPECT_THROW(b.bar.Value(1), Error);
  }
  {
    Bar b;
    b.pic.sw = std::numeric_limits<float>::infinity();
    EXPECT_THROW(b.bar.Value(1), Error);
  }
  {
    // The largest Max becomes the float 2^31 on the scale, one past the 32-bit range.
    Bar b;
    EXPECT_THROW(b.bar.Max(std::numeric_limits<std::int32_t>::max()), Error);
    EXPECT_EQ(b.bar.Max(), std::numeric_limits<std::int32_t>::max());
  }
  {
    // The smallest is exact as a float and draws; the clamp stores Max itself.
    Bar b;
    b.bar.Value(7);
    b.bar.Max(std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(b.bar.Value(), std::numeric_limits<std::int32_t>::min());
    EXPECT_THAT(b.pic.calls, ::testing::Contains("print -2147483648%"));
  }
}

}  // namespace
}  // namespace quillon

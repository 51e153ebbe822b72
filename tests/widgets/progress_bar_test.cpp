// The bar's scripts under tests/data/progress_bar, call by call, on a surface
// that records them: property sets as the program makes them ("Value 50",
// "BackColor 00FFFF", "Target", "Target none", "Unit pc"), "get NAME VALUE"
// checks, "scale W H" resizing the surface behind the bar's back, and "> "
// lines for each call on the surface.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/case_file.h"
#include "widgets/progress_bar.h"

namespace quillon {
namespace {

std::string num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
  return b;
}

std::string hex_colour(Colour c) {
  char b[16];
  std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(c));
  return b;
}

// Text is 5 units a byte wide and 8 high; a scale of 0 is refused.
class RecordingSurface : public Surface {
 public:
  explicit RecordingSurface(testing::Transcript& calls) : calls(calls) {}
  testing::Transcript& calls;
  float sw = 249, sh = 17;
  void cls() override { log("cls"); }
  void set_auto_redraw(bool on) override { log(on ? "auto_redraw on" : "auto_redraw off"); }
  float scale_width() const override { return log("get scale_width"), sw; }
  float scale_height() const override { return log("get scale_height"), sh; }
  void set_scale_width(float w) override { set_scale("width", w, sw); }
  void set_scale_height(float h) override { set_scale("height", h, sh); }
  void set_draw_mode(int mode) override { log("draw_mode " + std::to_string(mode)); }
  void set_fore_color(Colour c) override { log("fore " + hex_colour(c)); }
  void set_current_x(float x) override { log("x " + num(x)); }
  void set_current_y(float y) override { log("y " + num(y)); }
  float text_width(std::string_view t) const override { return 5.0f * static_cast<float>(t.size()); }
  float text_height(std::string_view) const override { return 8.0f; }
  void print(std::string_view t) override { log("print " + std::string(t)); }
  void fill_box(float x1, float y1, float x2, float y2, Colour c) override {
    log("box " + num(x1) + "," + num(y1) + " " + num(x2) + "," + num(y2) + " " + hex_colour(c));
  }
  void refresh() override { log("refresh"); }

 private:
  void log(const std::string& s) const { calls.push_back(s); }
  void set_scale(const char* which, float v, float& field) {
    if (v == 0) throw Error(Failed::Display, "picture box: invalid scale");
    log(std::string("scale_") + which + " " + num(v));
    field = v;
  }
};

class Script : public testing::CaseFile {
 private:
  // A property set, "scale", or a "get" check; a refused set is recorded as "error <text>".
  bool step(const std::string& verb, const std::string& arg) override {
    const auto colour = [&] { return static_cast<Colour>(std::stoul(arg, nullptr, 16)); };
    try {
      if (verb == "Target") bar_.Target(arg == "none" ? nullptr : &pic_);
      else if (verb == "Value") bar_.Value(std::stoi(arg));
      else if (verb == "BarColor") bar_.BarColor(colour());
      else if (verb == "BackColor") bar_.BackColor(colour());
      else if (verb == "Max") bar_.Max(std::stoi(arg));
      else if (verb == "Unit") bar_.Unit(arg);
      else if (verb == "ValueShow") bar_.ValueShow(arg == "1");
      else if (verb == "Style") bar_.Style(std::stoi(arg));
      else if (verb == "scale") {
        std::size_t used = 0;
        pic_.sw = std::stof(arg, &used);
        pic_.sh = std::stof(arg.substr(used));
      } else if (verb == "get") {
        std::istringstream w(arg);
        std::string name, want;
        w >> name;
        std::getline(w >> std::ws, want);
        const std::string got = name == "Value"       ? std::to_string(bar_.Value())
                                : name == "Max"       ? std::to_string(bar_.Max())
                                : name == "Style"     ? std::to_string(bar_.Style())
                                : name == "Unit"      ? bar_.Unit()
                                : name == "ValueShow" ? std::string(bar_.ValueShow() ? "1" : "0")
                                : name == "BarColor"  ? hex_colour(bar_.BarColor())
                                                      : hex_colour(bar_.BackColor());
        EXPECT_EQ(got, want) << where() << ": " << name;
      } else return false;
    } catch (const Error& e) {
      transcript_.push_back(std::string("error ") + e.what());
    }
    return true;
  }
  RecordingSurface pic_{transcript_};
  clsProgressBar bar_;
};

TEST(ProgressBar, EachScript) { testing::CaseFile::run_all<Script>("progress_bar", 5); }

}  // namespace
}  // namespace quillon

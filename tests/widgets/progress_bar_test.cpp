// The bar's scripts under tests/data/progress_bar, call by call, on a surface
// that records them: property sets as the program makes them ("Value 50",
// "BackColor 00FFFF", "Target", "Target none", "Unit pc"), "get NAME VALUE"
// checks, "scale W H" resizing the surface behind the bar's back, and "> "
// lines for each call on the surface, in order.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

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
  mutable std::vector<std::string> calls;
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
    if (v == 0) throw Error("picture box: invalid scale");
    log(std::string("scale_") + which + " " + num(v));
    field = v;
  }
};

// One property set or check; a refused set is recorded as "error <text>".
void apply(clsProgressBar& bar, RecordingSurface& pic, const std::string& verb, const std::string& arg,
           const std::string& where) {
  const auto colour = [&] { return static_cast<Colour>(std::stoul(arg, nullptr, 16)); };
  try {
    if (verb == "Target") bar.Target(arg == "none" ? nullptr : &pic);
    else if (verb == "Value") bar.Value(std::stoi(arg));
    else if (verb == "BarColor") bar.BarColor(colour());
    else if (verb == "BackColor") bar.BackColor(colour());
    else if (verb == "Max") bar.Max(std::stoi(arg));
    else if (verb == "Unit") bar.Unit(arg);
    else if (verb == "ValueShow") bar.ValueShow(arg == "1");
    else if (verb == "Style") bar.Style(std::stoi(arg));
    else if (verb == "scale") {
      std::size_t used = 0;
      pic.sw = std::stof(arg, &used);
      pic.sh = std::stof(arg.substr(used));
    } else if (verb == "get") {
      std::istringstream w(arg);
      std::string name, want;
      w >> name;
      std::getline(w >> std::ws, want);
      const std::string got = name == "Value" ? std::to_string(bar.Value())
                              : name == "Max" ? std::to_string(bar.Max())
                              : name == "Style" ? std::to_string(bar.Style())
                              : name == "Unit" ? bar.Unit()
                              : name == "ValueShow" ? std::string(bar.ValueShow() ? "1" : "0")
                              : name == "BarColor" ? hex_colour(bar.BarColor())
                                                   : hex_colour(bar.BackColor());
      EXPECT_EQ(got, want) << where << ": " << name;
    } else ADD_FAILURE() << where << ": unknown line " << verb;
  } catch (const Error& e) {
    pic.calls.push_back(std::string("error ") + e.what());
  }
}

TEST(ProgressBar, EachScript) {
  int scripts = 0;
  for (const auto& file : std::filesystem::directory_iterator(std::string(QUILLON_TEST_DATA_DIR) + "/progress_bar")) {
    ++scripts;
    RecordingSurface pic;
    clsProgressBar bar;
    std::size_t seen = 0;
    std::ifstream in(file.path());
    int n = 0;
    for (std::string text; std::getline(in, text);) {
      const std::string where = file.path().filename().string() + ":" + std::to_string(++n);
      if (text.empty() || text[0] == '#') continue;
      const std::size_t space = text.find(' ');
      const std::string verb = text.substr(0, space), rest = space == std::string::npos ? "" : text.substr(space + 1);
      if (verb == ">") {
        if (seen < pic.calls.size() && pic.calls[seen] == rest) {
          ++seen;
          continue;
        }
        ADD_FAILURE() << where << ": want \"" << rest << "\"\n  got  \""
                      << (seen < pic.calls.size() ? pic.calls[seen] : "(nothing more)") << "\"";
        seen = pic.calls.size();
        continue;
      }
      for (; seen < pic.calls.size(); ++seen) ADD_FAILURE() << where << ": unexpected \"" << pic.calls[seen] << "\"";
      apply(bar, pic, verb, rest, where);
    }
    for (; seen < pic.calls.size(); ++seen) ADD_FAILURE() << file.path() << ": unexpected \"" << pic.calls[seen] << "\"";
  }
  EXPECT_GE(scripts, 5);
}

}  // namespace
}  // namespace quillon

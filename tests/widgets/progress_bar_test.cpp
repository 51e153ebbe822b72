// The bar's drawing steps, call by call, on a surface that records them.
#include <gtest/gtest.h>

#include <cstdio>

#include "widgets/bar_script.h"

namespace quillon {
namespace {

using testing::hex_colour;

std::string num(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%g", v);
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

TEST(ProgressBar, EachScript) {
  std::unique_ptr<RecordingSurface> pic;
  std::unique_ptr<clsProgressBar> bar;
  std::size_t seen = 0;
  auto all_seen = [&](const std::string& where) {
    for (; seen < pic->calls.size(); ++seen) ADD_FAILURE() << where << ": unexpected \"" << pic->calls[seen] << "\"";
  };
  testing::each_bar_script(
      [&](const std::string&) {
        pic = std::make_unique<RecordingSurface>();
        bar = std::make_unique<clsProgressBar>();
        seen = 0;
      },
      [&](const std::string& where, const std::string& verb, const std::string& rest) {
        if (verb == ">") {
          if (seen < pic->calls.size() && pic->calls[seen] == rest) {
            ++seen;
          } else {
            ADD_FAILURE() << where << ": want \"" << rest << "\"\n  got  \""
                          << (seen < pic->calls.size() ? pic->calls[seen] : "(nothing more)") << "\"";
            seen = pic->calls.size();
          }
          return;
        }
        all_seen(where);
        if (verb == "region" || verb == "caption-centred" || verb == "end") return;  // pixels: the QImage test
        if (verb == "scale") {
          std::size_t used = 0;
          pic->sw = std::stof(rest, &used);
          pic->sh = std::stof(rest.substr(used));
          return;
        }
        const std::string error = testing::apply(*bar, *pic, verb, rest, where);
        if (!error.empty()) pic->calls.push_back(error);
      });
}

}  // namespace
}  // namespace quillon

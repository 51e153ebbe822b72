#pragma once
// A drawn progress bar with a centred caption such as "37%".
#include <cstdint>
#include <string>

#include "platform/error.h"
#include "widgets/surface.h"

namespace quillon {

// Property getters and setters share a name, like the properties they stand for.
// Setting any property but Target with no target throws Error
// (the field keeps its new value).
class clsProgressBar {
 public:
  clsProgressBar();  // Class_Initialize

  // Not owned; the caller keeps the surface alive while it is the target.
  void Target(Surface* picNewTarget);
  std::int32_t Value() const { return value_; }
  void Value(std::int32_t lngNewValue);
  Colour BarColor() const { return bar_color_; }
  void BarColor(Colour lngNewBarColor);
  std::int32_t Max() const { return max_; }
  void Max(std::int32_t lngNewMax);  // 0 is refused with Error
  std::string Unit() const { return unit_; }
  void Unit(std::string strNewUnit);  // CP932 bytes
  bool ValueShow() const { return value_show_; }
  void ValueShow(bool bolNewValue);
  Colour BackColor() const { return back_color_; }
  void BackColor(Colour lngNewBackColor);
  std::int32_t Style() const { return style_; }
  void Style(std::int32_t lngNewStyle);

 private:
  void Redraw();

  Surface* target_ = nullptr;
  std::int32_t value_ = 0;
  Colour bar_color_ = 0x800000;
  Colour back_color_ = 0xFFFFFF;
  std::int32_t max_ = 100;
  std::string unit_ = "%";
  bool value_show_ = true;
  std::int32_t style_ = 0;
};

}  // namespace quillon

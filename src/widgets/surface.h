#pragma once
// The drawing surface a progress bar paints on: the operations of a picture box.
#include <cstdint>
#include <string_view>

namespace quillon {

// Windows colour value 0x00BBGGRR.
using Colour = std::uint32_t;

inline constexpr int kDrawModeNotXorPen = 10;  // pixel := NOT (colour XOR pixel)
inline constexpr int kDrawModeCopyPen = 13;    // pixel := colour

class Surface {
 public:
  virtual ~Surface() = default;
  // Clears the persistent image; the text position goes to 0, 0.
  virtual void cls() = 0;
  virtual void set_auto_redraw(bool on) = 0;
  virtual float scale_width() const = 0;
  virtual float scale_height() const = 0;
  // Throws when the scale is 0.
  virtual void set_scale_width(float w) = 0;
  virtual void set_scale_height(float h) = 0;
  // Applies to filled boxes only, not to text.
  virtual void set_draw_mode(int mode) = 0;
  virtual void set_fore_color(Colour c) = 0;
  virtual void set_current_x(float x) = 0;
  virtual void set_current_y(float y) = 0;
  // Extent of a CP932 text in user scale units.
  virtual float text_width(std::string_view cp932_text) const = 0;
  virtual float text_height(std::string_view cp932_text) const = 0;
  // Draws CP932 text at the text position in the fore colour, no background.
  virtual void print(std::string_view cp932_text) = 0;
  // Filled box covering both corners, in user scale units.
  virtual void fill_box(float x1, float y1, float x2, float y2, Colour c) = 0;
  // Shows the persistent image.
  virtual void refresh() = 0;
};

}  // namespace quillon

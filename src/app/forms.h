#pragma once
// Both windows as data, once, for every toolkit: each control with its kind,
// caption, place in the form's 96-dpi pixels, font, tool tip and colour, in
// the order they are made (a later one lies above an earlier one), the focus
// order, and the window itself. A toolkit lays a form out from this alone.
#include <cstdint>
#include <span>
#include <string_view>

namespace quillon::form {

enum class Kind { Label, TextBox, MaskedBox, Button, CheckBox, HLine, VLine, PictureBox };

struct Font {
  const char* family = nullptr;  // as the form names it (UTF-8); none: the window's font
  double points = 0;
  bool bold = false;
  bool italic = false;
  bool ansi = false;  // the character set: ANSI for a Latin face, else Shift-JIS
};

struct Rect {
  int x, y, w, h;
};

inline constexpr std::uint32_t kSystemColour = 0xFF000000;  // else 0xRRGGBB
inline constexpr std::uint32_t kLightGray = 0xC0C0C0;

struct Control {
  const char* name;
  Kind kind;
  const char* caption;  // UTF-8; a box's first text
  Rect at;
  Font font = {};
  const char* tooltip = nullptr;
  std::uint32_t colour = kSystemColour;  // a button's face, a box's ground
  bool hidden = false;
};

struct Form {
  const char* caption;
  int width, height;  // the client area
  bool resizable;
  std::uint32_t colour;  // the window's ground
  Font font;
  std::span<const Control> controls;
  std::span<const char* const> tab_order;

  const Control* find(std::string_view name) const;
};

extern const Form kFrmstartftp;   // the main window
extern const Form kFrmsetteiftp;  // the settings dialog

}  // namespace quillon::form

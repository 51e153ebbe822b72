#pragma once
// A window as a test sees it, whichever toolkit drew it: Qt and Win32 each
// answer these, so one set of checks (tests/app/window_cases.h) and one layout
// table a window serve both.
#include <optional>
#include <string>
#include <utility>

namespace quillon::testing {

struct ControlView {
  ControlView(int x_, int y_, int w_, int h_, std::string text_) : x(x_), y(y_), w(w_), h(h_), text(std::move(text_)) {}
  int x, y, w, h;                  // in the client area
  std::string text;                // caption, or an edit box's text (UTF-8)
  std::string font;                // empty: the window's own font
  int pixels = 0;                  // the font's pixel height
  bool bold_italic = false;
  std::string tooltip;
  bool visible = true, enabled = true, default_button = false;
  bool masked = false;  // shows "*" for each character
};

class WindowProbe {
 public:
  virtual ~WindowProbe() = default;
  virtual std::string title() const = 0;
  virtual int client_width() const = 0;
  virtual int client_height() const = 0;
  virtual bool resizable() const = 0;
  virtual std::optional<ControlView> control(const std::string& name) const = 0;
  virtual std::string focused() const = 0;
  virtual std::string next_in_tab_order(const std::string& name) const = 0;
  virtual std::string control_at(int x, int y) const = 0;
  virtual void click(const std::string& name) = 0;
  // As the user types: the box's change handler runs.
  virtual void type(const std::string& name, const std::string& utf8) = 0;
  virtual void press_enter_and_escape(const std::string& name) = 0;
  virtual void close() = 0;  // the frame's close box
};

}  // namespace quillon::testing

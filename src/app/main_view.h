#pragma once
// What the upload run and the FTP stages need of the main window. Texts are
// CP932 bytes; the window converts them at its edge.
#include <string>
#include <string_view>

namespace quillon {

enum class Button { cmdOK, Cmdcancel, Command1 };
enum class Cursor { Default, Wait };

class MainView {
 public:
  virtual ~MainView() = default;
  virtual void set_status(std::string_view text) = 0;  // ip_status
  virtual std::string status() const = 0;
  virtual void set_enabled(Button button, bool enabled) = 0;
  virtual void set_picture_visible(bool visible) = 0;  // Picture1
  virtual void set_cursor(Cursor cursor) = 0;
  virtual void repaint() = 0;  // at once, before blocking work
  virtual void set_label1_caption(std::string_view text) = 0;
  virtual std::string label3_caption() const = 0;
  // OK button only, no icon, the application's title; returns when dismissed.
  virtual void message_box(std::string_view text) = 0;
  virtual void beep() = 0;
};

}  // namespace quillon

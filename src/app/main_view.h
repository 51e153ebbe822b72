#pragma once
// The main window as its logic sees it; Qt and Win32 implement it. Texts are
// CP932 bytes; the window converts them at its edge.
#include <string>
#include <string_view>
#include <vector>

#include "app/upload_run.h"
#include "widgets/surface.h"

namespace quillon {

// A box with buttons of its own: the caption "quillon", no icon.
struct Question {
  std::string text;                  // lines split by "\n"
  std::vector<std::string> buttons;  // left to right
  int enter = 0;                     // the default button
  int escape = 0;                    // what Esc and the close box answer
};

// The main window's controls. Texts are CP932 bytes; the window converts them
// at its edge.
class MainView {
 public:
  virtual ~MainView() = default;
  virtual void set_status(std::string_view text) = 0;  // ip_status
  virtual std::string status() const = 0;              // as the user may have edited it
  virtual void set_enabled(Button button, bool enabled) = 0;
  virtual void set_picture_visible(bool visible) = 0;  // Picture1
  virtual void set_cursor(Cursor cursor) = 0;
  virtual void repaint() = 0;  // at once, before blocking work
  virtual void set_label1_caption(std::string_view text) = 0;
  virtual std::string label3_caption() const = 0;
  // OK button only, no icon, the application's title; returns when dismissed.
  virtual void message_box(std::string_view text) = 0;
  virtual void beep() = 0;
  // Picture1's drawing surface, for the progress bar.
  virtual Surface& picture1() = 0;
  // Shown as an ordinary window, centred on the screen.
  virtual void show() = 0;
  // Hidden at once and destroyed once its own handlers have returned.
  virtual void close() = 0;
  // The index of the button pressed; returns when the box is closed.
  virtual int ask(const Question& question) = 0;
  // While a run is under way on a thread of its own: the window takes no
  // input but what moves, covers and uncovers it. A toolkit that posts no
  // runs (Toolkit::post_to_window) runs them on this thread, which holds it.
  virtual void hold_input(bool /*held*/) {}
};

// The main window's answer to each event of a run, the same in each toolkit:
// the status line, the buttons, the cursor, Picture1 and the bar, the boxes,
// and what errchk restores for each stage.
class WindowRun final : public RunObserver {
 public:
  WindowRun(MainView& view, FtpState& ftp) : view_(view), ftp_(ftp) {}
  void on(const RunEvent& event) override;
  Send decide(const SentReport& report) override;
  bool wait_for_other() override;
  // The stages' events alone (the window's session, opened at its load).
  void on_ftp(const FtpEvent& event);

 private:
  void errchk(const std::string& stage);

  MainView& view_;
  FtpState& ftp_;
};

// The three buttons, in the order the window sets them: the one place they are
// taken away and given back.
void set_buttons(MainView& view, bool enabled);

}  // namespace quillon

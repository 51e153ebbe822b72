#pragma once
// The main window as its logic sees it; Qt and Win32 implement it. Texts are
// CP932 bytes; the window converts them at its edge.
#include <string>
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

class MainView : public RunObserver {
 public:
  // Picture1's drawing surface, for the progress bar.
  virtual Surface& picture1() = 0;
  // Shown as an ordinary window, centred on the screen.
  virtual void show() = 0;
  // Hidden at once and destroyed once its own handlers have returned.
  virtual void close() = 0;
  // The index of the button pressed; returns when the box is closed.
  virtual int ask(const Question& question) = 0;

  // What the window says and asks during a run, the same in each toolkit.
  Send decide(const SentReport& report) final;
  bool wait_for_other() final;
  void history_not_read(const std::string& why) final;
  void history_set_aside(const std::string& aside) final;
  void history_not_written(const std::string& why) final;
  void retrying(int) final {}
  // The status line alone tells of the mode.
  void passive_remembered() final {}
  void falling_back(bool) final {}
};

}  // namespace quillon

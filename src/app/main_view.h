#pragma once
// The main window as its logic sees it; Qt and Win32 implement it. Texts are
// CP932 bytes; the window converts them at its edge.
#include "app/upload_run.h"
#include "widgets/surface.h"

namespace quillon {

class MainView : public RunView {
 public:
  // Picture1's drawing surface, for the progress bar.
  virtual Surface& picture1() = 0;
  // Shown as an ordinary window, centred on the screen.
  virtual void show() = 0;
  // Hidden at once and destroyed once its own handlers have returned.
  virtual void close() = 0;
};

}  // namespace quillon

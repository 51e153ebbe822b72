#pragma once
// The handlers of the main window frmstartftp, in plain C++: the window of
// each toolkit forwards its events here.
#include <memory>
#include <optional>

#include "app/main_view.h"
#include "app/upload_run.h"
#include "app/window_thread.h"

namespace quillon {

class Program;

class MainForm {
 public:
  explicit MainForm(Program& program) : program_(program) {}
  // The window the handlers act on, until the next one is made.
  void attach(MainView& view) { view_ = &view; }

  // Runs before the window is first shown; its messages come first.
  void Form_Load();
  // The upload run: on a thread of its own where the toolkit can post to the
  // window, so that the window goes on answering; else on this one.
  void cmdOK_Click();
  void Command1_Click();
  void cmdCancel_Click();
  // The frame's close box: the program ends without the exit button's steps.
  // Not while a run is under way: the window stays, nothing is asked.
  void closed_by_user();

  // A run started here has not ended yet.
  bool running() const { return run_ != nullptr; }
  // How the last run ended, once it has.
  std::optional<RunEnd> last_end() const { return last_end_; }

 private:
  void run_ended(const RunResult& result);
  void run_failed(const std::exception& e);

  Program& program_;
  MainView* view_ = nullptr;
  std::unique_ptr<WindowRun> window_;  // the window's side of the run under way
  std::unique_ptr<RunThread> run_;
  std::optional<RunEnd> last_end_;
};

}  // namespace quillon

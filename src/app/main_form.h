#pragma once
// The handlers of the main window frmstartftp, in plain C++: the window of
// each toolkit forwards its events here.
#include "app/main_view.h"
#include "app/upload_run.h"

namespace quillon {

class Program;

class MainForm {
 public:
  explicit MainForm(Program& program) : program_(program) {}
  // The window the handlers act on, until the next one is made.
  void attach(MainView& view) { view_ = &view; }

  // Runs before the window is first shown; its messages come first.
  void Form_Load();
  RunEnd cmdOK_Click();
  void Command1_Click();
  void cmdCancel_Click();
  // The frame's close box: the program ends without the exit button's steps.
  void closed_by_user();

 private:
  Program& program_;
  MainView* view_ = nullptr;
};

}  // namespace quillon

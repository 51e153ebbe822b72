#pragma once
// The main window in Win32: status line, the three buttons, the progress
// bar's picture box. Layout and glue: the handlers live in MainForm.
#include <string>
#include <string_view>

#include "app/main_form.h"
#include "app/main_view.h"
#include "app/status_line.h"
#include "win32/form_window.h"
#include "win32/gdi_surface.h"

namespace quillon::win32 {

class frmstartftp final : public FormWindow, public MainView {
 public:
  explicit frmstartftp(MainForm& form);

  // MainView: CP932 bytes in and out, UTF-16 on screen.
  void set_status(std::string_view text) override;
  std::string status() const override;
  void set_enabled(Button button, bool enabled) override;
  void set_picture_visible(bool visible) override;
  void set_cursor(Cursor cursor) override;
  void repaint() override;
  void set_label1_caption(std::string_view text) override;
  std::string label3_caption() const override;
  void message_box(std::string_view text) override;
  void beep() override;
  Surface& picture1() override { return picture("Picture1"); }
  void show() override { show_centred(); }
  void close() override { close_later(); }
  int ask(const Question& q) override;
  void hold_input(bool held) override { set_input_held(held); }

 private:
  void on_command(int id, int code) override;
  void on_close() override { form_.closed_by_user(); }

  MainForm& form_;
  StatusLine status_;
};

}  // namespace quillon::win32

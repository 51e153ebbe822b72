#pragma once
// The settings dialog in Win32: shows, checks and saves the 13 settings.
// Layout and glue: the handlers live in SettingsForm.
#include <string>
#include <string_view>

#include "app/settings_form.h"
#include "app/settings_view.h"
#include "win32/form_window.h"

namespace quillon::win32 {

class Frmsetteiftp final : public FormWindow, public SettingsView {
 public:
  explicit Frmsetteiftp(SettingsForm& form);

  // SettingsView: CP932 bytes in and out, UTF-16 on screen.
  void set_text(SettingsBox box, std::string_view text) override;
  std::string text(SettingsBox box) const override;
  void set_checked(SettingsCheck box, bool checked) override;
  bool checked(SettingsCheck box) const override;
  void focus(SettingsBox box) override;
  std::string show_open(std::string_view file_name) override;
  void message_box(std::string_view text) override { message(text); }
  // The focus starts on path_sw1, the first in the tab order.
  void show() override { show_centred(); }
  void close() override { close_later(); }

 private:
  void on_command(int id, int code) override;
  void on_close() override { form_.closed_by_user(); }
  HWND box(SettingsBox box) const;
  HWND check(SettingsCheck box) const;

  SettingsForm& form_;
};

}  // namespace quillon::win32

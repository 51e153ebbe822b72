#pragma once
// The settings dialog: shows, checks and saves the 13 settings.
#include <QString>
#include <QWidget>

#include "app/settings_form.h"
#include "app/settings_view.h"

class QCheckBox;
class QCloseEvent;
class QFileDialog;
class QLineEdit;

namespace quillon {

// Layout and glue: the handlers live in SettingsForm.
class Frmsetteiftp : public QWidget, public SettingsView {
  Q_OBJECT

 public:
  explicit Frmsetteiftp(SettingsForm& form);
  ~Frmsetteiftp() override;

  // SettingsView: CP932 bytes in and out, UTF-8 on screen.
  void set_text(SettingsBox box, std::string_view text) override;
  std::string text(SettingsBox box) const override;
  void set_checked(SettingsCheck box, bool checked) override;
  bool checked(SettingsCheck box) const override;
  void focus(SettingsBox box) override;
  std::string show_open(std::string_view file_name) override;
  void message_box(std::string_view text) override;
  void show() override;
  void close() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLineEdit* box(SettingsBox box) const;
  QCheckBox* check(SettingsCheck box) const;

  SettingsForm& form_;
  // The platform's file-open dialog, not shown in the window.
  QFileDialog* Dlg1;
};

}  // namespace quillon

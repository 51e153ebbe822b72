#pragma once
// The settings dialog: shows, checks and saves the 13 settings.
#include <QString>
#include <QWidget>

#include "app/settings_form.h"
#include "app/settings_view.h"

class QCheckBox;
class QCloseEvent;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

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

  // The platform's file-open dialog, not shown in the window.
  QFileDialog* Dlg1;

  QLabel* Label1;
  QPushButton* path_sw1;
  QLineEdit* FrmsetteiftpText1;
  QLabel* Label2;
  QPushButton* path_sw2;
  QLineEdit* FRMsetteiftpText2;
  QFrame* Line1;
  QLabel* Label4;
  QLabel* Label3;
  QLineEdit* frmsetteiftpText3;
  QLabel* Label5;
  QLineEdit* frmsetteiftpText4;
  QLabel* Label13;
  QLineEdit* settei_name;
  QLabel* Label12;
  QLineEdit* settei_my_portable;
  QCheckBox* Check_kiru;
  QFrame* Line2;
  QLabel* Label7;
  QLineEdit* settei_ad1;
  QLabel* Label8;
  QLineEdit* settei_ad2;
  QLabel* Label9;
  QLineEdit* settei_ad3;
  QLabel* Label10;
  QLineEdit* settei_design_no;
  QLabel* Label11;
  QLineEdit* settei_path;
  QCheckBox* settei_log_Check;
  QPushButton* Command1;
  QPushButton* Command2;

  static constexpr int kClientWidth = 600;
  static constexpr int kClientHeight = 296;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLineEdit* box(SettingsBox box) const;
  QCheckBox* check(SettingsCheck box) const;

  SettingsForm& form_;
};

}  // namespace quillon

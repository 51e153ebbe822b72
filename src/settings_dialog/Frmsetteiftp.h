#pragma once
// The settings dialog: shows, checks and saves the 13 settings.
#include <QString>
#include <QWidget>

class QCheckBox;
class QCloseEvent;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

class AppController;

class Frmsetteiftp : public QWidget {
  Q_OBJECT

 public:
  explicit Frmsetteiftp(AppController& app);
  ~Frmsetteiftp() override;

  // Fills the boxes from the settings in memory, then shows the dialog.
  void Form_Load();
  void FrmsetteiftpText1_Change();
  void FRMsetteiftpText2_Change();
  void path_sw1_Click();
  void path_sw2_Click();
  void Command1_Click();  // ＯＫ
  void Command2_Click();  // キャンセル

  // The one file dialog both browse buttons share, and the name it holds.
  QFileDialog* Dlg1;
  QString Dlg1_FileName;

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
  // Shows Dlg1; true with Dlg1_FileName set when the user chose a file.
  bool show_open();
  void say(const QString& text);

  AppController& app_;
};

}  // namespace quillon

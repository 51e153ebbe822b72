#pragma once
// The main window: status line, the three buttons, the progress bar's picture box.
#include <QWidget>

#include <string>
#include <string_view>

#include "app/main_form.h"
#include "app/main_view.h"
#include "app/status_line.h"
#include "qt/picture_box.h"

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon {

// Layout and glue: the handlers live in MainForm.
class frmstartftp : public QWidget, public MainView {
  Q_OBJECT

 public:
  explicit frmstartftp(MainForm& form);
  ~frmstartftp() override;

  // MainView: CP932 bytes in and out, UTF-8 on screen.
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
  Surface& picture1() override;
  void show() override;
  void close() override;
  int ask(const Question& question) override;
  void hold_input(bool held) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  MainForm& form_;
  StatusLine status_;
  // The controls the handlers reach, by their names in the form.
  QLineEdit* ip_status;
  QPushButton* cmdOK;
  QLabel* Label1;
  PictureBox* Picture1;
  QPushButton* Command1;
  QPushButton* Cmdcancel;
  QLabel* Label3;
};

}  // namespace quillon

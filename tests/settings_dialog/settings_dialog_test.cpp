// The settings dialog on a real (offscreen) Qt window, saving to a real file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include "app/gui_fixture.h"
#include "platform/cp932.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::GuiTest;
using testing::read_file;
using testing::write_file;
namespace fs = std::filesystem;

std::string utf8(const QString& s) { return s.toStdString(); }

// Types `text` one character at a time, as a keyboard with an input method would.
void type(QWidget* box, const QString& text) {
  for (char32_t c : text.toUcs4()) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c, 1));
    QApplication::sendEvent(box, &press);
  }
}

class Dialog : public GuiTest {
 protected:
  Frmsetteiftp& open(const Settings& s) {
    start(s);
    Frmsetteiftp& d = open_dialog();
    messages.clear();
    return d;
  }
};

TEST_F(Dialog, EnterAndEscapePressNothing) {
  Frmsetteiftp& d = open({});
  for (QPushButton* b : {d.Command1, d.Command2, d.path_sw1, d.path_sw2}) {
    EXPECT_FALSE(b->isDefault());
    EXPECT_FALSE(b->autoDefault());
  }
  QTest::keyClick(&d, Qt::Key_Escape);
  QTest::keyClick(d.frmsetteiftpText3, Qt::Key_Escape);
  QTest::keyClick(d.frmsetteiftpText3, Qt::Key_Return);
  QTest::keyClick(d.settei_ad1, Qt::Key_Enter);
  flush_deletes();
  EXPECT_THAT(messages, IsEmpty());  // ＯＫ would have complained about the callsign
  EXPECT_EQ(dialog(), &d);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(main_window(), nullptr);
  EXPECT_EQ(quits, 0);
}

// --- the edge --------------------------------------------------------------------

TEST_F(Dialog, TextsCrossTheEdgeAsCodePage932AndEventsReachTheForm) {
  Frmsetteiftp& d = open({});
  d.set_text(SettingsBox::settei_ad1, cp932::from_utf8("東京都"));
  EXPECT_EQ(utf8(d.settei_ad1->text()), "東京都");
  EXPECT_EQ(d.text(SettingsBox::settei_ad1), cp932::from_utf8("東京都"));
  // A character CP932 cannot hold, typed as an input method would.
  d.settei_ad2->clear();
  type(d.settei_ad2, QString::fromUtf8("x😀"));
  EXPECT_THROW(d.text(SettingsBox::settei_ad2), cp932::EncodingError);
  d.set_checked(SettingsCheck::settei_log_Check, true);
  EXPECT_TRUE(d.settei_log_Check->isChecked());
  EXPECT_FALSE(d.checked(SettingsCheck::Check_kiru));
  // Typing into a path box reaches its change handler.
  d.FrmsetteiftpText1->end(false);
  QTest::keyClicks(d.FrmsetteiftpText1, QStringLiteral("x"));
  EXPECT_EQ(program().state().settings.csv_path, "tarnis.csvx");
  d.Command1->click();  // ＯＫ reaches the form: the callsign is missing
  EXPECT_THAT(messages, ElementsAre("コールサインを入力して下さい"));
  static_cast<QWidget&>(d).close();  // the close box reaches the program
  EXPECT_EQ(quits, 1);
}

// --- browsing ---------------------------------------------------------------------

// Answers the file dialog once it runs: with `file`, or cancels when empty.
// A second timer cancels whatever is left, so nothing waits for ever.
void answer(Frmsetteiftp& d, QString file, QStringList* seen = nullptr) {
  QTimer::singleShot(0, &d, [&d, file, seen] {
    if (seen) *seen = d.Dlg1->selectedFiles();
    if (file.isEmpty()) {
      d.Dlg1->reject();
    } else {
      // As a click on another file would, drop what the views still select.
      for (QAbstractItemView* view : d.Dlg1->findChildren<QAbstractItemView*>())
        if (view->selectionModel()) view->selectionModel()->clearSelection();
      d.Dlg1->selectFile(file);
      // selectFile leaves a name box that has the focus alone; type into it.
      if (auto* name = d.Dlg1->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(file);
      static_cast<QDialog*>(d.Dlg1)->accept();  // public on the base
    }
  });
  QTimer::singleShot(5000, d.Dlg1, [&d] { if (d.Dlg1->isVisible()) d.Dlg1->reject(); });
}

TEST_F(Dialog, OneFileDialogServesBothButtonsAndKeepsItsName) {
  Settings s;
  s.xml_path = "/data/qsoupdata.xml";
  Frmsetteiftp& d = open(s);
  testing::TempDir files;
  write_file(files.file("mylog.csv"), "x");
  write_file(files.file("out.xml"), "");
  const QString log = QString::fromStdString(files.file("mylog.csv"));

  answer(d, log);
  d.path_sw1->click();
  EXPECT_EQ(d.FrmsetteiftpText1->text(), log);
  EXPECT_EQ(program().state().settings.csv_path, files.file("mylog.csv"));

  // The other row's dialog opens on the file just chosen; cancelling it
  // leaves the output path alone.
  QStringList seen;
  answer(d, QString(), &seen);
  d.path_sw2->click();
  EXPECT_THAT(seen, ElementsAre(log));
  EXPECT_EQ(utf8(d.FRMsetteiftpText2->text()), "/data/qsoupdata.xml");
  EXPECT_EQ(program().state().settings.xml_path, "/data/qsoupdata.xml");

  answer(d, QString::fromStdString(files.file("out.xml")));
  d.path_sw2->click();
  EXPECT_EQ(program().state().settings.xml_path, files.file("out.xml"));
  EXPECT_EQ(utf8(d.FRMsetteiftpText2->text()), files.file("out.xml"));
  EXPECT_THAT(messages, IsEmpty());
}

}  // namespace
}  // namespace quillon

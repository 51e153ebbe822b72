// What only the real settings dialog shows: its keys, its text edge, its file dialog.
#include <gmock/gmock.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/gui_fixture.h"
#include "platform/cp932.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Dialog : testing::GuiTest {
  Frmsetteiftp& open() {
    start({});
    Frmsetteiftp& d = open_dialog();
    messages.clear();
    return d;
  }
};

TEST_F(Dialog, EnterAndEscapePressNothing) {
  Frmsetteiftp& d = open();
  QTest::keyClick(&d, Qt::Key_Escape);
  QTest::keyClick(d.frmsetteiftpText3, Qt::Key_Escape);
  QTest::keyClick(d.frmsetteiftpText3, Qt::Key_Return);
  QTest::keyClick(d.settei_ad1, Qt::Key_Enter);
  flush_deletes();
  EXPECT_THAT(messages, IsEmpty());  // ＯＫ would have asked for the callsign
  EXPECT_EQ(dialog(), &d);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(quits, 0);
}

TEST_F(Dialog, TextsCrossTheEdgeAndEventsReachTheForm) {
  Frmsetteiftp& d = open();
  d.set_text(SettingsBox::settei_ad1, cp932::from_utf8("東京都"));
  EXPECT_EQ(d.settei_ad1->text(), QStringLiteral("東京都"));
  EXPECT_EQ(d.text(SettingsBox::settei_ad1), cp932::from_utf8("東京都"));
  // A character CP932 cannot hold, typed as an input method would.
  for (char32_t c : U"x😀") {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&c, 1));
    QApplication::sendEvent(d.settei_ad2, &press);
  }
  EXPECT_THROW(d.text(SettingsBox::settei_ad2), cp932::EncodingError);
  d.set_checked(SettingsCheck::settei_log_Check, true);
  EXPECT_TRUE(d.settei_log_Check->isChecked() && !d.checked(SettingsCheck::Check_kiru));
  d.FrmsetteiftpText1->end(false);
  QTest::keyClicks(d.FrmsetteiftpText1, QStringLiteral("x"));  // reaches its change handler
  EXPECT_EQ(program().state().settings.csv_path, "tarnis.csvx");
  d.Command1->click();
  EXPECT_THAT(messages, ElementsAre("コールサインを入力して下さい"));
  static_cast<QWidget&>(d).close();  // the close box
  EXPECT_EQ(quits, 1);
}

TEST_F(Dialog, TheFileDialogOpensOnTheNameItKeeps) {
  Frmsetteiftp& d = open();
  testing::TempDir files;
  testing::write_file(files.file("mylog.csv"), "x");
  const QString log = QString::fromStdString(files.file("mylog.csv"));
  QStringList seen;
  // Answers the file dialog once it runs; a later timer cancels what is left.
  auto answer = [&](const QString& file) {
    QTimer::singleShot(0, &d, [&d, file, &seen] {
      seen = d.Dlg1->selectedFiles();
      if (file.isEmpty()) return d.Dlg1->reject();
      for (QAbstractItemView* view : d.Dlg1->findChildren<QAbstractItemView*>())
        if (view->selectionModel()) view->selectionModel()->clearSelection();
      d.Dlg1->selectFile(file);
      if (auto* name = d.Dlg1->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(file);
      static_cast<QDialog*>(d.Dlg1)->accept();
    });
    QTimer::singleShot(5000, d.Dlg1, [&d] { if (d.Dlg1->isVisible()) d.Dlg1->reject(); });
  };
  answer(log);
  d.path_sw1->click();
  EXPECT_EQ(d.FrmsetteiftpText1->text(), log);
  EXPECT_EQ(program().state().settings.csv_path, files.file("mylog.csv"));
  answer(QString());  // the other row's dialog opens on it; cancelled, nothing changes
  d.path_sw2->click();
  EXPECT_THAT(seen, ElementsAre(log));
  EXPECT_EQ(program().state().settings.xml_path, "qsoupdata.xml");
  EXPECT_EQ(d.Dlg1->fileMode(), QFileDialog::AnyFile);
  EXPECT_EQ(d.Dlg1->acceptMode(), QFileDialog::AcceptOpen);
}

}  // namespace
}  // namespace quillon

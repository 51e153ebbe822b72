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
QString q(const char* s) { return QString::fromUtf8(s); }

class Dialog : public GuiTest {
 protected:
  Frmsetteiftp& open(const Settings& s) {
    start(s);
    Frmsetteiftp& d = open_dialog();
    messages.clear();
    return d;
  }
};

// --- the window ------------------------------------------------------------------

TEST_F(Dialog, GeometryCaptionsAndFonts) {
  Frmsetteiftp& d = open({});
  EXPECT_EQ(utf8(d.windowTitle()), "Quillon for Tarnis");
  EXPECT_FALSE(d.windowIcon().isNull());
  EXPECT_EQ(d.size(), QSize(600, 296));
  EXPECT_NE(d.minimumSize(), d.maximumSize());  // resizable
  const Qt::WindowFlags f = d.windowFlags();
  EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE((d.frameGeometry().center() - screen.center()).manhattanLength(), 2);

  const QString gothic = q("ＭＳ ゴシック"), pgothic = q("ＭＳ Ｐゴシック");
  struct Expect {
    QWidget* widget;
    QRect rect;
    const char* caption;  // nullptr: a box or a rule
    QString family;       // empty: the dialog's font
    int pixels;
  };
  const Expect table[] = {
      {d.Label1, {16, 8, 153, 17}, "1.入力ファイル(CSV)", gothic, 15},
      {d.path_sw1, {168, 8, 57, 17}, "参照", {}, 0},
      {d.FrmsetteiftpText1, {240, 8, 345, 18}, nullptr, {}, 0},
      {d.Label2, {16, 40, 153, 17}, "2.出力ファイル(XML)", gothic, 15},
      {d.path_sw2, {168, 40, 57, 17}, "参照", {}, 0},
      {d.FRMsetteiftpText2, {240, 40, 345, 18}, nullptr, {}, 0},
      {d.Line1, {8, 72, 585, 1}, nullptr, {}, 0},
      {d.Label4, {16, 80, 89, 17}, "3.詳細設定", gothic, 15},
      {d.Label3, {16, 112, 97, 17}, "コールサイン", pgothic, 13},
      {d.frmsetteiftpText3, {96, 104, 129, 25}, nullptr, q("MS Serif"), 16},
      {d.Label5, {16, 136, 185, 17}, "サーバへのログインパスワード", pgothic, 13},
      {d.frmsetteiftpText4, {16, 152, 209, 22}, nullptr, pgothic, 15},
      {d.Label13, {16, 176, 105, 17}, "Your QSL Name", gothic, 13},
      {d.settei_name, {16, 192, 209, 21}, nullptr, gothic, 13},
      {d.Label12, {16, 216, 89, 17}, "My Portable", gothic, 13},
      {d.settei_my_portable, {16, 232, 209, 21}, nullptr, gothic, 13},
      {d.Check_kiru, {16, 264, 217, 17}, "プログラム終了時ダイヤルアップ切断", {}, 0},
      {d.Line2, {240, 88, 1, 201}, nullptr, {}, 0},
      {d.Label7, {256, 88, 65, 17}, "Address1", gothic, 13},
      {d.settei_ad1, {320, 88, 265, 19}, nullptr, gothic, 13},
      {d.Label8, {256, 120, 65, 17}, "Address2", gothic, 13},
      {d.settei_ad2, {320, 120, 265, 19}, nullptr, gothic, 13},
      {d.Label9, {256, 152, 65, 17}, "Address3", gothic, 13},
      {d.settei_ad3, {320, 152, 265, 19}, nullptr, gothic, 13},
      {d.Label10, {256, 184, 209, 17}, "QSL Design-No or Filename", gothic, 13},
      {d.settei_design_no, {440, 184, 145, 18}, nullptr, gothic, 12},
      {d.Label11, {256, 216, 33, 17}, "Path", gothic, 13},
      {d.settei_path, {296, 216, 289, 18}, nullptr, gothic, 12},
      {d.settei_log_Check, {272, 256, 97, 17}, "Log Search", gothic, 13},
      {d.Command1, {392, 248, 89, 33}, "ＯＫ", {}, 0},
      {d.Command2, {496, 248, 89, 33}, "キャンセル", {}, 0},
  };
  for (const Expect& e : table) {
    SCOPED_TRACE(e.caption ? e.caption : e.widget->metaObject()->className());
    EXPECT_EQ(e.widget->geometry(), e.rect);
    if (e.caption) {
      QString text;
      if (auto* b = qobject_cast<QAbstractButton*>(e.widget)) text = b->text();
      if (auto* l = qobject_cast<QLabel*>(e.widget)) text = l->text();
      EXPECT_EQ(utf8(text), e.caption);
    }
    const QFont font = e.widget->font();
    if (e.family.isEmpty()) {
      EXPECT_EQ(font, d.font());
    } else {
      EXPECT_EQ(font.families().front(), e.family);
      EXPECT_EQ(font.pixelSize(), e.pixels);
      EXPECT_FALSE(font.bold());
    }
  }
  EXPECT_EQ(d.Line1->frameShape(), QFrame::HLine);
  EXPECT_EQ(d.Line2->frameShape(), QFrame::VLine);
  EXPECT_EQ(d.frmsetteiftpText4->echoMode(), QLineEdit::Password);
  EXPECT_EQ(d.frmsetteiftpText4->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                     d.frmsetteiftpText4),
            '*');
  EXPECT_FALSE(d.Dlg1->isVisible());
  EXPECT_EQ(d.Dlg1->fileMode(), QFileDialog::AnyFile);
  EXPECT_EQ(d.Dlg1->acceptMode(), QFileDialog::AcceptOpen);

  // Resizing moves nothing.
  const QRect ok = d.Command1->geometry();
  d.resize(800, 400);
  EXPECT_EQ(d.Command1->geometry(), ok);
  EXPECT_EQ(d.FrmsetteiftpText1->geometry(), QRect(240, 8, 345, 18));
}

TEST_F(Dialog, FocusStartsOnTheFirstBrowseButtonAndFollowsTheFormOrder) {
  Frmsetteiftp& d = open({});
  EXPECT_EQ(d.focusWidget(), d.path_sw1);
  const std::vector<QWidget*> expected = {
      d.path_sw1,         d.FrmsetteiftpText1, d.path_sw2,   d.FRMsetteiftpText2,
      d.frmsetteiftpText3, d.frmsetteiftpText4, d.settei_name, d.settei_my_portable,
      d.Check_kiru,       d.settei_ad1,        d.settei_ad2, d.settei_ad3,
      d.settei_design_no, d.settei_path,       d.settei_log_Check, d.Command1,
      d.Command2};
  std::vector<QWidget*> chain{d.path_sw1};
  for (QWidget* w = d.path_sw1->nextInFocusChain(); w != d.path_sw1 && chain.size() < expected.size();
       w = w->nextInFocusChain())
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&d)) chain.push_back(w);
  EXPECT_EQ(chain, expected);
}

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

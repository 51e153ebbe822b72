// Both Qt windows on the offscreen platform: the checks both toolkits share,
// then what only Qt's show (colours, the file dialog, a second process).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include "app/qt/frmstartftp.h"
#include "app/qt/qt_toolkit.h"
#include "platform/instance_lock.h"
#include "settings_dialog/Frmsetteiftp.h"
#include "support/program_fixture.h"
#include "support/window_probe.h"
#include "widgets/qt/form_support.h"

namespace quillon::testing {

class QtProbe final : public WindowProbe {
 public:
  explicit QtProbe(QWidget* window) : w_(window) {}
  std::string title() const override { return w_->windowTitle().toStdString(); }
  int client_width() const override { return w_->width(); }
  int client_height() const override { return w_->height(); }
  bool resizable() const override { return w_->minimumSize() != w_->maximumSize(); }
  bool frame_as_designed() const override {
    return !(w_->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) &&
           (w_->windowFlags() & Qt::WindowCloseButtonHint) && !w_->windowIcon().isNull();
  }
  int off_centre() const override {
    return (w_->frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center())
        .manhattanLength();
  }
  std::optional<ControlView> control(const std::string& name) const override {
    QWidget* c = find(name);
    if (c == nullptr) return std::nullopt;
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(c)) text = b->text();
    if (auto* l = qobject_cast<QLabel*>(c)) text = l->text();
    if (auto* e = qobject_cast<QLineEdit*>(c)) text = e->text();
    ControlView v(c->x(), c->y(), c->width(), c->height(), text.toStdString());
    if (c->font() != w_->font()) v.font = c->font().families().front().toStdString();
    v.pixels = c->font().pixelSize();
    v.bold_italic = c->font().bold() && c->font().italic();
    v.tooltip = c->toolTip().toStdString();
    v.visible = c->isVisibleTo(w_);
    v.enabled = c->isEnabled();
    if (auto* b = qobject_cast<QPushButton*>(c)) v.default_button = b->isDefault() || b->autoDefault();
    return v;
  }
  std::string focused() const override { return name(w_->focusWidget()); }
  std::string next_in_tab_order(const std::string& from) const override {
    for (QWidget* c = find(from)->nextInFocusChain(); c != find(from); c = c->nextInFocusChain())
      if ((c->focusPolicy() & Qt::TabFocus) && c->isVisibleTo(w_)) return name(c);
    return from;
  }
  std::string control_at(int x, int y) const override { return name(w_->childAt(x, y)); }
  bool masked(const std::string& n) const override {
    auto* e = qobject_cast<QLineEdit*>(find(n));
    return e->echoMode() == QLineEdit::Password &&
           e->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, e) == '*';
  }
  unsigned face_colour(const std::string& n) const override {
    if (n.empty()) return w_->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    QWidget* c = find(n);
    const auto role = qobject_cast<QLineEdit*>(c) ? QPalette::Base : QPalette::Button;
    return c->palette().color(role).rgb() & 0xFFFFFF;
  }
  void resize(int width, int height) override { w_->resize(width, height); }
  void click(const std::string& n) override { qobject_cast<QAbstractButton*>(find(n))->click(); }
  // As an input method delivers text, so that characters beyond CP932 arrive too.
  void type(const std::string& n, const std::string& utf8) override {
    auto* e = qobject_cast<QLineEdit*>(find(n));
    e->clear();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromStdString(utf8));
    QApplication::sendEvent(e, &press);
  }
  void press_enter_and_escape(const std::string& n) override {
    for (QWidget* target : {find(n), w_})
      for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) QTest::keyClick(target, key);
  }
  void close() override { w_->close(); }

 private:
  QWidget* find(const std::string& n) const { return w_->findChild<QWidget*>(QString::fromStdString(n)); }
  static std::string name(const QWidget* c) { return c ? c->objectName().toStdString() : ""; }
  QWidget* w_;
};

class GuiTest : public ProgramFixture {
 protected:
  GuiTest() {
    static int argc = 1;
    static char arg0[] = "main_window_test", *argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // for the whole run
    (void)app;
    QApplication::setQuitOnLastWindowClosed(false);
    set_message_box_hook([this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
  }
  ~GuiTest() override {
    program_.reset();
    settle();
    set_message_box_hook(nullptr);
  }
  Toolkit& toolkit() override { return toolkit_; }
  frmstartftp* main_window() { return dynamic_cast<frmstartftp*>(program_->main_window()); }
  Frmsetteiftp* dialog() { return dynamic_cast<Frmsetteiftp*>(program_->settings_dialog()); }
  std::unique_ptr<WindowProbe> probe_main() { return std::make_unique<QtProbe>(main_window()); }
  std::unique_ptr<WindowProbe> probe_dialog() { return std::make_unique<QtProbe>(dialog()); }
  void open_dialog() {
    main_window()->Command1->click();
    settle();
  }
  // Deletes the windows the program closed, as the event loop would.
  static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

 private:
  QtToolkit toolkit_{[this] { ++quits; }};
};
using WindowTest = GuiTest;

}  // namespace quillon::testing

#include "app/window_cases.h"

namespace quillon::testing {
namespace {

TEST_F(GuiTest, TheFileDialogOpensOnTheNameItKeeps) {
  start({});
  open_dialog();
  Frmsetteiftp& d = *dialog();
  TempDir files;
  write_file(files.file("mylog.csv"), "x");
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
  EXPECT_THAT(seen, ::testing::ElementsAre(log));
  EXPECT_EQ(program().state().settings.xml_path, "qsoupdata.xml");
  EXPECT_EQ(d.Dlg1->fileMode(), QFileDialog::AnyFile);
  EXPECT_FALSE(d.Dlg1->isVisible());
}

// With the marker held, the real program says so (on stderr too, before its
// box) and touches no file.
TEST_F(GuiTest, ASecondProcessEndsWithItsMessage) {
  const char* kAlreadyRunning = "Quillonは既に起動しています!!";
  std::filesystem::create_directories(folder_);
  write_settings((folder_ / "qsodata.qsl").string(), {});
  const std::string before = read_file((folder_ / "qsodata.qsl").string());
  const auto held = platform::InstanceLock::acquire(Program::lock_path());
  ASSERT_NE(held, nullptr);
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config_.path().string()));
  second.setProcessEnvironment(env);
  second.setReadChannel(QProcess::StandardError);
  second.start(QStringLiteral(QUILLON_EXE), {});
  QByteArray err;
  for (int i = 0; i < 100 && !err.contains(kAlreadyRunning); ++i)
    if (second.waitForReadyRead(200)) err += second.readAllStandardError();
  second.kill();  // its box waits for a click nobody gives
  second.waitForFinished();
  EXPECT_THAT(err.toStdString(), ::testing::HasSubstr(kAlreadyRunning));
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder_)) names.insert(e.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"qsodata.qsl", "quillon.lock"}));
  EXPECT_EQ(read_file((folder_ / "qsodata.qsl").string()), before);
}

}  // namespace
}  // namespace quillon::testing

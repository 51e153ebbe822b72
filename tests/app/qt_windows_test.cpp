// Both Qt windows on the offscreen platform, through the checks both toolkits
// share.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "qt/form_support.h"
#include "qt/qt_toolkit.h"
#include "support/ftp_server.h"
#include "support/program_fixture.h"

namespace quillon::testing {

class QtProbe final : public WindowProbe {
 public:
  // `busy`: a run the window started has not ended.
  QtProbe(QWidget* window, std::function<bool()> busy) : w_(window), busy_(std::move(busy)) {}
  std::string window_row() const override {
    return window_row_of(w_->windowTitle().toStdString(), w_->width(), w_->height(),
                         w_->minimumSize() != w_->maximumSize());
  }
  std::optional<ControlView> control(const std::string& name) const override {
    QWidget* c = find(name);
    if (c == nullptr) return std::nullopt;
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(c)) text = b->text();
    if (auto* l = qobject_cast<QLabel*>(c)) text = l->text();
    auto* e = qobject_cast<QLineEdit*>(c);
    if (e) text = e->text();
    ControlView v(c->x(), c->y(), c->width(), c->height(), text.toStdString());
    if (c->font() != w_->font()) v.font = c->font().families().front().toStdString();
    v.pixels = c->font().pixelSize();
    v.bold_italic = c->font().bold() && c->font().italic();
    v.tooltip = c->toolTip().toStdString();
    v.visible = c->isVisibleTo(w_);
    v.enabled = c->isEnabled();
    if (auto* b = qobject_cast<QPushButton*>(c)) v.default_button = b->isDefault() || b->autoDefault();
    v.masked = e && e->echoMode() == QLineEdit::Password &&
               e->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, e) == '*';
    return v;
  }
  std::string focused() const override { return name(w_->focusWidget()); }
  std::string next_in_tab_order(const std::string& from) const override {
    for (QWidget* c = find(from)->nextInFocusChain(); c != find(from); c = c->nextInFocusChain())
      if ((c->focusPolicy() & Qt::TabFocus) && c->isVisibleTo(w_)) return name(c);
    return from;
  }
  std::string control_at(int x, int y) const override { return name(w_->childAt(x, y)); }
  // Returns once what the click started has ended, its events shown, as the
  // user would wait for it.
  void click(const std::string& n) override {
    qobject_cast<QAbstractButton*>(find(n))->click();
    QElapsedTimer waited;
    waited.start();
    while (busy_() && waited.elapsed() < kRunBoundMs)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(busy_()) << n << ": still running after " << kRunBoundMs << " ms";
  }
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
  static constexpr int kRunBoundMs = 60000;
  QWidget* w_;
  std::function<bool()> busy_;
};

class GuiTest : public ProgramFixture {
 protected:
  GuiTest() {
    static int argc = 1;
    static char arg0[] = "qt_windows_test", *argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // for the whole run
    (void)app;
    QApplication::setQuitOnLastWindowClosed(false);
    set_message_box_hook([this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
    set_question_hook([this](const QString& text, const QStringList& buttons, int enter, int escape) {
      std::vector<std::string> b;
      for (const QString& s : buttons) b.push_back(s.toStdString());
      return answer(text.toStdString(), b, enter, escape);
    });
  }
  ~GuiTest() override {
    program_.reset();
    settle();
    set_message_box_hook(nullptr);
    set_question_hook(nullptr);
  }
  Toolkit& toolkit() override { return toolkit_; }
  std::unique_ptr<WindowProbe> probe(bool dialog) override {
    return std::make_unique<QtProbe>(
        dialog ? dynamic_cast<QWidget*>(program_->settings_dialog()) : dynamic_cast<QWidget*>(program_->main_window()),
        [this] { return program_ && program_->uploading(); });
  }
  // Deletes the windows the program closed.
  void settle() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

 private:
  QtToolkit toolkit_{[this] { ++quits; }};
};
using WindowTest = GuiTest;

// The box itself: Enter presses its default button, Esc its escape button, in
// the order given, under the caption "quillon".
TEST_F(GuiTest, TheQuestionBoxAnswersEnterAndEsc) {
  set_question_hook(nullptr);
  for (const auto& [key, want] : {std::pair{Qt::Key_Return, 1}, std::pair{Qt::Key_Escape, 2}}) {
    QString title, order;
    QTimer::singleShot(0, [&, key = key] {
      QWidget* box = QApplication::activeModalWidget();
      if (box == nullptr) return;
      title = box->windowTitle();
      for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) order += b->text();
      QTest::keyClick(box, key);
    });
    EXPECT_EQ(question_box(nullptr, "?", {"a", "b", "c"}, 1, 2), want);
    EXPECT_EQ(title, "quillon");
    EXPECT_EQ(order, "abc");
  }
}

// Each window as drawn, pixel for pixel, against its picture in
// tests/data/windows: a colour, a font, a place or a centring that changes
// fails. QUILLON_REDRAW=1 draws the pictures anew, for a change on purpose.
TEST_F(GuiTest, EachWindowAsDrawn) {
  QApplication::setCursorFlashTime(0);  // the caret stands, rather than blinks
  start({});
  for (const bool dialog : {false, true}) {
    if (dialog) open_dialog();
    QWidget* w =
        dialog ? dynamic_cast<QWidget*>(program().settings_dialog()) : dynamic_cast<QWidget*>(program().main_window());
    const QImage drawn = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const std::string name = dialog ? "qt-settings-dialog.png" : "qt-main-window.png";
    const QString picture = QString::fromStdString(std::string(QUILLON_TEST_DATA_DIR) + "/windows/" + name);
    if (qEnvironmentVariableIsSet("QUILLON_REDRAW")) {
      EXPECT_TRUE(drawn.save(picture));
      continue;
    }
    const QImage want = QImage(picture).convertToFormat(QImage::Format_RGB32);
    int differ = want.size() == drawn.size() ? 0 : -1;
    for (int y = 0; differ >= 0 && y < want.height(); ++y)
      for (int x = 0; x < want.width(); ++x) differ += want.pixel(x, y) != drawn.pixel(x, y);
    const std::string seen = std::string(QUILLON_BINARY_DIR) + "/drawn-" + name;
    if (differ != 0) drawn.save(QString::fromStdString(seen));
    EXPECT_EQ(differ, 0) << name << ": pixels that differ (-1: another size); as drawn: " << seen;
  }
}

// The window goes on answering while it uploads, over a slow line, and after
// the server never connected back in active mode: its event loop turns (a
// timer every 100 ms never waits a second), a close and keys during the run
// are ignored, and the document is stored whole.
TEST_F(GuiTest, TheWindowAnswersWhileItUploads) {
  set_env("QUILLON_TEST", "accept-ms=1500");
  for (const char* mode : {"slow-store", "no-connect-back-slow"}) {
    SCOPED_TRACE(mode);
    FtpServer server({.mode = mode});
    TempDir data;
    const Settings s = start_with_contacts(data, 600, server.port());
    auto* window = dynamic_cast<QWidget*>(program().main_window());
    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    bool closed = false, typed = false;
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      longest = std::max(longest, clock.elapsed() - last);
      last = clock.elapsed();
      if (closed || !program().uploading()) return;
      closed = window->close() || true;
      auto* status = window->findChild<QLineEdit*>("ip_status");
      QTest::keyClicks(status, "zz");
      typed = status->text().contains("zz");
    });
    clock.start();
    tick.start();
    probe_main()->click("cmdOK");
    tick.stop();
    EXPECT_GT(clock.elapsed(), 1500);  // long enough to tell
    EXPECT_LT(longest, 1000);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(typed);  // the status line takes no keys meanwhile
    EXPECT_EQ(quits, 0);
    expect_uploaded_whole(server.root(), s);
    EXPECT_GT(read_file(s.xml_path).size(), 80000u);
  }
  set_env("QUILLON_TEST", "");
}

}  // namespace quillon::testing

#include "app/window_cases.h"

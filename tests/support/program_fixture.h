#pragma once
// The program on a real window toolkit: a settings folder of its own per test,
// a scripted internet layer and clock unless a test brings its own, and the
// message boxes collected rather than shown. A window as a test sees it,
// whichever toolkit drew it: Qt and Win32 each answer WindowProbe, so one set
// of checks (tests/app/window_cases.h) and one layout table a window serve both.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "app/settings.h"
#include "support/scripted.h"
#include "support/system.h"

namespace quillon::testing {

struct ControlView {
  ControlView(int x_, int y_, int w_, int h_, std::string text_) : x(x_), y(y_), w(w_), h(h_), text(std::move(text_)) {}
  int x, y, w, h;    // in the client area
  std::string text;  // caption, or an edit box's text (UTF-8)
  std::string font;  // empty: the window's own font
  int pixels = 0;    // the font's pixel height
  bool bold_italic = false;
  std::string tooltip;
  bool visible = true, enabled = true, default_button = false;
  bool masked = false;  // shows "*" for each character
};

class WindowProbe {
 public:
  virtual ~WindowProbe() = default;
  // Title, client width and height, resizable: the window's row of its table.
  virtual std::string window_row() const = 0;
  virtual std::optional<ControlView> control(const std::string& name) const = 0;
  virtual std::string focused() const = 0;
  virtual std::string next_in_tab_order(const std::string& name) const = 0;
  virtual std::string control_at(int x, int y) const = 0;
  virtual void click(const std::string& name) = 0;
  // As the user types: the box's change handler runs.
  virtual void type(const std::string& name, const std::string& utf8) = 0;
  virtual void press_enter_and_escape(const std::string& name) = 0;
  virtual void close() = 0;  // the frame's close box
};

inline std::string window_row_of(const std::string& title, int width, int height, bool resizable) {
  return "@window\t" + title + "\t" + std::to_string(width) + " " + std::to_string(height) +
         (resizable ? "\tresizable\n" : "\tfixed\n");
}

class ProgramFixture : public ::testing::Test {
 protected:
  ProgramFixture() : folder_(use_settings_home(config_.path())) {}

  virtual Toolkit& toolkit() = 0;

  // The program on `settings`, with a scripted internet layer unless one is given.
  Program& start(const Settings& settings, std::unique_ptr<platform::Internet> inet = nullptr,
                 std::uint16_t port = 2121) {
    std::filesystem::create_directories(folder_);
    write_settings((folder_ / "qsodata.qsl").string(), settings);
    Program::Options o;
    o.inet = inet ? std::move(inet) : std::make_unique<ScriptedInternet>(transcript);
    o.clock = std::make_unique<ScriptedClock>();
    o.ftp_host = "127.0.0.1";
    o.ftp_port = port;
    program_ = std::make_unique<Program>(toolkit(), std::move(o));
    EXPECT_TRUE(program_->start());
    return *program_;
  }
  Program& program() { return *program_; }
  virtual std::unique_ptr<WindowProbe> probe(bool dialog) = 0;  // the main window or the dialog
  std::unique_ptr<WindowProbe> probe_main() { return probe(false); }
  std::unique_ptr<WindowProbe> probe_dialog() { return probe(true); }
  virtual void settle() = 0;  // runs what the windows posted, as the event loop would
  void open_dialog() {
    probe_main()->click("Command1");
    settle();
  }

  std::vector<std::string> messages;  // UTF-8, in order
  // A question box: its text and buttons, UTF-8 ("TEXT [A|B] enter N escape N"),
  // answered by the next of `answers` (a button's text).
  int answer(const std::string& text, const std::vector<std::string>& buttons, int enter, int escape) {
    messages.push_back(question_line(text, buttons, enter, escape));
    const int i = answers.empty() ? -1 : button_index(buttons, answers.front());
    if (!answers.empty()) answers.pop_front();
    EXPECT_GE(i, 0) << "nobody answers " << messages.back();
    return i < 0 ? escape : i;
  }
  std::deque<std::string> answers;

  // The program on a log of `n` contacts in `data`, each of its own station,
  // with the system's internet layer, to the loopback server at `port`.
  Settings start_with_contacts(const TempDir& data, int n, std::uint16_t port) {
    std::string log;
    for (int i = 0; i < n; ++i)
      log +=
          ",\"JA" + std::to_string(i) +
          "ZZ\",,,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,\"R\",\"DP\",,,\"\",,,,\"\",\r\n";
    write_file(data.file("tarnis.csv"), log);
    const Settings s{
        data.file("tarnis.csv"), data.file("qsoupdata.xml"), "Q1AAA", "secret", "", 0, "", "", "", "", "", 0, ""};
    start(s, platform::make_internet(), port);
    return s;
  }
  // The main window as a good run leaves it, and the document on the server
  // under `server_root`, the only one there, whole.
  void expect_uploaded_whole(const std::string& server_root, const Settings& s) {
    const auto main = probe_main();
    EXPECT_EQ(main->control("ip_status")->text, " --アップロード正常終了しました!--");
    for (const char* b : {"cmdOK", "Command1", "Cmdcancel"}) EXPECT_TRUE(main->control(b)->enabled) << b;
    std::vector<std::string> stored;
    for (const auto& f : std::filesystem::directory_iterator(server_root + "/log")) stored.push_back(f.path().string());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(read_file(stored[0]), read_file(s.xml_path));
  }
  Transcript transcript;  // what the scripted internet layer was asked
  int quits = 0;
  TempDir config_;
  std::filesystem::path folder_;
  std::unique_ptr<Program> program_;
};

}  // namespace quillon::testing

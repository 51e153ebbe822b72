#pragma once
// Scripted stand-ins for what the program reaches outside itself (the internet
// layer, the clock, both windows, the toolkit). Each writes one line a call to
// a shared transcript, so a test compares what happened, in order, with one
// expectation: "inet connect ...", "main status ...", "dialog message ...".
#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/program.h"
#include "conversion/conversion.h"
#include "platform/cp932.h"
#include "support/caption_surface.h"
#include "support/case_file.h"

namespace quillon::testing {

// A dialog box or check box by its name in the form.
template <class Control, std::size_t N>
Control named(const char* const (&names)[N], const std::string& wanted) {
  for (std::size_t i = 0; i < N; ++i)
    if (wanted == names[i]) return static_cast<Control>(i);
  throw std::invalid_argument("no control " + wanted);
}

// A question as the tests write it (UTF-8): "TEXT [BUTTON|...] enter N escape N".
inline std::string question_line(const std::string& text, const std::vector<std::string>& buttons, int enter,
                                 int escape) {
  std::string line = text + " [";
  for (std::size_t i = 0; i < buttons.size(); ++i) line += (i ? "|" : "") + buttons[i];
  return line + "] enter " + std::to_string(enter) + " escape " + std::to_string(escape);
}
// The place of the button `answer` names, or -1.
inline int button_index(const std::vector<std::string>& buttons, const std::string& answer) {
  const auto it = std::find(buttons.begin(), buttons.end(), answer);
  return it == buttons.end() ? -1 : static_cast<int>(it - buttons.begin());
}

class ScriptedInternet : public platform::Internet {
 public:
  explicit ScriptedInternet(Transcript& t) : t_(t) {}
  // The script: 0 is success; other values are the error of the failure.
  std::uint32_t open_error = 0, connect_error = 0, put_error = 0;
  std::deque<std::uint32_t> close_errors;  // one a close, success once they run out
  std::deque<std::uint32_t> put_errors;    // one a put, put_error once they run out
  int connect_notes = 0, put_notes = 0;    // request-sent notifications during the call
  std::string response;                    // the server's last reply, given with every result
  bool put_data_opened = true;             // a failed put had its data connection

  platform::InetResult open(platform::StatusCallback status) override {
    t_.push_back("inet open");
    status_ = std::move(status);
    session_ = session_ || open_error == 0;
    return result(open_error);
  }
  platform::InetResult connect(const platform::FtpLogin& login) override {
    t_.push_back("inet connect " + login.host + ":" + std::to_string(login.port) + " " + shown(login.user) + " " +
                 shown(login.password) + (login.passive ? " passive" : " active"));
    if (!session_) return result(platform::inet_error::kInvalidHandle);
    if (connected_) return result(platform::inet_error::kBusy);
    notify(connect_notes);
    connected_ = connect_error == 0;
    return result(connect_error);
  }
  platform::InetResult put_file(const std::string& local, const std::string& remote,
                                platform::TransferType type) override {
    t_.push_back("inet put " + local + " " + shown(remote) +
                 (type == platform::TransferType::Ascii ? " ascii" : " binary"));
    if (!connected_) return result(platform::inet_error::kInvalidHandle);
    notify(put_notes);
    const std::uint32_t e = put_errors.empty() ? put_error : put_errors.front();
    if (!put_errors.empty()) put_errors.pop_front();
    platform::InetResult r = result(e);
    r.data_opened = e == 0 || put_data_opened;
    return r;
  }
  platform::InetResult close() override {
    t_.push_back("inet close");
    if (!connected_) return result(platform::inet_error::kInvalidHandle);
    const std::uint32_t e = close_errors.empty() ? 0 : close_errors.front();
    if (!close_errors.empty()) close_errors.pop_front();
    connected_ = e != 0;
    return result(e);
  }
  void autodial_hangup() override { t_.push_back("inet hangup"); }

 private:
  platform::InetResult result(std::uint32_t error) const { return {error, response}; }
  void notify(int n) {
    for (int i = 0; i < n && status_; ++i) status_(platform::kStatusRequestSent);
  }
  Transcript& t_;
  platform::StatusCallback status_;
  bool session_ = false;
  bool connected_ = false;
};

// Hands out the readings in turn, then repeats the last; a pause lets the
// last one move on by a second, unless the clock stands still.
class ScriptedClock : public platform::Clock {
 public:
  std::deque<platform::LocalDateTime> readings{{2002, 1, 3, 9, 5, 7}};
  bool still = false;
  int pauses = 0;
  platform::LocalDateTime now() override {
    const platform::LocalDateTime t = readings.front();
    if (readings.size() > 1) readings.pop_front();
    return t;
  }
  void pause() override {
    // A caller that never gives up would hang the test; it fails it instead.
    if (++pauses > 100000) throw std::runtime_error("paused for ever");
    if (readings.size() > 1 || still) return;
    platform::LocalDateTime& t = readings.front();
    if (++t.second == 60) t.second = 0, ++t.minute;  // a test's clock never reaches the next hour
  }
};

class RecordingMainView : public MainView {
 public:
  explicit RecordingMainView(Transcript& t)
      : t_(t), picture_([this](const std::string& caption) { t_.push_back("main bar " + caption); }) {}
  void set_status(std::string_view text) override {
    status_ = text;
    log("status " + shown(text));
  }
  std::string status() const override { return status_; }
  void set_enabled(Button b, bool on) override {
    enabled[static_cast<int>(b)] = on;
    static const char* names[] = {"cmdOK", "Cmdcancel", "Command1"};
    log(std::string(on ? "enable " : "disable ") + names[static_cast<int>(b)]);
  }
  void set_picture_visible(bool on) override { log(on ? "picture show" : "picture hide"); }
  void set_cursor(Cursor c) override { log(c == Cursor::Wait ? "cursor wait" : "cursor default"); }
  void repaint() override { log("repaint"); }
  void set_label1_caption(std::string_view text) override { log("label1 " + shown(text)); }
  void message_box(std::string_view text) override { log("message " + shown(text)); }
  void beep() override { log("beep"); }
  std::string label3_caption() const override { return kXmlDeclaration; }
  Surface& picture1() override { return picture_; }
  void show() override { log("show"); }
  void close() override { log("close"); }
  // "main ask TEXT [BUTTON|...] enter N escape N"; answered by the next of `answers`.
  int ask(const Question& q) override {
    std::vector<std::string> buttons;
    for (const std::string& b : q.buttons) buttons.push_back(shown(b));
    log("ask " + question_line(shown(q.text), buttons, q.enter, q.escape));
    if (answers.empty()) throw std::logic_error("nobody answers \"" + shown(q.text) + "\"");
    const int i = button_index(buttons, answers.front());
    if (i < 0) throw std::logic_error("no button " + answers.front());
    answers.pop_front();
    return i;
  }

  bool enabled[3] = {true, true, true};
  std::deque<std::string> answers;  // button texts, UTF-8

 private:
  void log(const std::string& line) { t_.push_back("main " + line); }
  Transcript& t_;
  std::string status_;
  CaptionSurface picture_;
};

// The dialog keeps what its boxes hold; the user's part is type(), tick() and
// the answers its file dialog gives.
class RecordingDialog : public SettingsView {
 public:
  RecordingDialog(Transcript& t, SettingsForm& form) : t_(t), form_(form) {}
  void set_text(SettingsBox box, std::string_view text) override {
    log(std::string("set ") + name(box) + " " + shown(text));
    type(box, std::string(text));
  }
  std::string text(SettingsBox box) const override {
    const auto it = texts_.find(box);
    if (it != texts_.end() && it->second == kUnstorable)
      throw Error(Failed::Encoding, "U+1F600 cannot be stored in Shift-JIS (code page 932)");
    return it == texts_.end() ? std::string() : it->second;
  }
  void set_checked(SettingsCheck box, bool on) override {
    log(std::string("check ") + name(box) + (on ? " 1" : " 0"));
    checks_[box] = on;
  }
  bool checked(SettingsCheck box) const override { return checks_.count(box) && checks_.at(box); }
  void focus(SettingsBox box) override { log(std::string("focus ") + name(box)); }
  std::string show_open(std::string_view file_name) override {
    log("open " + shown(file_name));
    const std::string a = answers.empty() ? "" : answers.front();
    if (!answers.empty()) answers.pop_front();
    if (a == kUnstorable) throw Error(Failed::Encoding, "U+1F600 cannot be stored in Shift-JIS (code page 932)");
    return a;
  }
  void message_box(std::string_view text) override { log("message " + shown(text)); }
  void show() override { log("show"); }
  void close() override { log("close"); }

  // What the user types reaches the box's change handler, as in a window;
  // kUnstorable stands for text CP932 cannot hold.
  static constexpr const char* kUnstorable = "<unstorable>";
  void type(SettingsBox box, const std::string& text) {
    texts_[box] = text;
    if (box == SettingsBox::FrmsetteiftpText1) form_.FrmsetteiftpText1_Change();
    if (box == SettingsBox::FRMsetteiftpText2) form_.FRMsetteiftpText2_Change();
  }
  void tick(SettingsCheck box, bool on) { checks_[box] = on; }
  SettingsForm& form() { return form_; }
  std::deque<std::string> answers;  // "" cancels

 private:
  void log(const std::string& line) { t_.push_back("dialog " + line); }
  Transcript& t_;
  SettingsForm& form_;
  std::map<SettingsBox, std::string> texts_;
  std::map<SettingsCheck, bool> checks_;
};

class RecordingToolkit : public Toolkit {
 public:
  explicit RecordingToolkit(Transcript& t) : t_(t) {}
  MainView& create_main_window(MainForm& form) override {
    main_form = &form;
    mains.push_back(std::make_unique<RecordingMainView>(t_));
    return *mains.back();
  }
  SettingsView& create_settings_dialog(SettingsForm& form) override {
    dialogs.push_back(std::make_unique<RecordingDialog>(t_, form));
    return *dialogs.back();
  }
  void quit() override { t_.push_back("quit"); }

  MainForm* main_form = nullptr;
  std::vector<std::unique_ptr<RecordingMainView>> mains;
  std::vector<std::unique_ptr<RecordingDialog>> dialogs;

 private:
  Transcript& t_;
};

}  // namespace quillon::testing

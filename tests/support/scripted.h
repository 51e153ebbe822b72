#pragma once
// Scripted stand-ins for what the program reaches outside itself (the internet
// layer, the clock, both windows, the toolkit). Each writes one line a call to
// a shared transcript, so a test compares what happened, in order, with one
// expectation: "inet connect ...", "main status ...", "dialog message ...".
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
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
  // The script: 0 is success; other values are the last-error of the failure.
  std::uint32_t open_error = 0, connect_error = 0, put_error = 0;
  std::deque<std::uint32_t> close_errors;        // one a close, success once they run out
  std::deque<std::uint32_t> put_errors;          // one a put, put_error once they run out
  int connect_notes = 0, put_notes = 0;          // request-sent notifications during the call
  std::optional<std::string> response;           // the server's last reply; none: the call fails
  std::optional<std::uint32_t> length_reported;  // a layer that overstates the length
  bool put_data_opened = true;                   // a failed put had its data connection

  platform::InetHandle open() override {
    t_.push_back("inet open");
    return fail_or(open_error, 0x100);
  }
  void set_status_callback(platform::InetHandle s, platform::StatusCallback cb) override {
    t_.push_back("inet callback " + hex(s));
    callback_ = std::move(cb);
  }
  platform::InetHandle connect(platform::InetHandle session, const std::string& host, std::uint16_t port,
                               const std::string& user, const std::string& password, std::uint32_t service,
                               std::uint32_t flags, std::uintptr_t context) override {
    t_.push_back("inet connect " + hex(session) + " " + host + ":" + std::to_string(port) + " " + shown(user) + " " +
                 shown(password) + " service " + std::to_string(service) + " flags " + hex(flags) + " context " +
                 std::to_string(context));
    notify(connect_notes, context);
    return fail_or(session == 0 ? platform::inet_error::kInvalidHandle : connect_error, next_++);
  }
  bool put_file(platform::InetHandle c, const std::string& local, const std::string& remote, std::uint32_t flags,
                std::uintptr_t context) override {
    t_.push_back("inet put " + hex(c) + " " + local + " " + shown(remote) + " flags " + std::to_string(flags) +
                 " context " + std::to_string(context));
    notify(put_notes, context);
    const std::uint32_t e = put_errors.empty() ? put_error : put_errors.front();
    if (!put_errors.empty()) put_errors.pop_front();
    return fail_or(e, 1) != 0;
  }
  bool close_handle(platform::InetHandle h) override {
    t_.push_back("inet close " + hex(h));
    const std::uint32_t e = close_errors.empty() ? 0 : close_errors.front();
    if (!close_errors.empty()) close_errors.pop_front();
    return fail_or(e, 1) != 0;
  }
  bool data_opened() const override { return put_data_opened; }
  std::uint32_t last_error() const override { return last_error_; }
  bool last_response_info(std::uint32_t*, char* buffer, std::uint32_t* length) override {
    t_.push_back("inet response " + std::to_string(*length));
    if (!response) return fail_or(platform::inet_error::kIncorrectHandleType, 0) != 0;
    if (*length < response->size() + 1) {
      *length = static_cast<std::uint32_t>(response->size() + 1);
      return fail_or(platform::inet_error::kInsufficientBuffer, 0) != 0;
    }
    std::memcpy(buffer, response->data(), response->size());
    *length = length_reported.value_or(static_cast<std::uint32_t>(response->size()));
    return true;
  }
  void autodial_hangup(std::uint32_t reserved) override { t_.push_back("inet hangup " + std::to_string(reserved)); }

 private:
  static std::string hex(std::uintptr_t v) {
    char b[24];
    std::snprintf(b, sizeof b, "0x%lX", static_cast<unsigned long>(v));
    return b;
  }
  platform::InetHandle fail_or(std::uint32_t error, platform::InetHandle ok) {
    last_error_ = error;
    return error == 0 ? ok : 0;
  }
  void notify(int n, std::uintptr_t context) {
    for (int i = 0; i < n && callback_ && context != 0; ++i)
      callback_(next_, context, platform::kStatusRequestSent, nullptr, 0);
  }
  Transcript& t_;
  platform::StatusCallback callback_;
  platform::InetHandle next_ = 0x200;
  std::uint32_t last_error_ = 0;
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
      throw cp932::EncodingError("U+1F600 cannot be stored in Shift-JIS (code page 932)");
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
    if (a == kUnstorable) throw cp932::EncodingError("U+1F600 cannot be stored in Shift-JIS (code page 932)");
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

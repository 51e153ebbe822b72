#pragma once
// Both windows and their toolkit as recordings, for the window logic without a
// window system.
#include <deque>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "conversion/conversion.h"
#include "support/fake_view.h"

namespace quillon::testing {

class FakeMainView : public RecordingView<MainView> {
 public:
  std::string label3_caption() const override { return label3; }
  Surface& picture1() override { return picture; }
  void show() override {
    shown = true;
    log("show");
  }
  void close() override {
    closed = true;
    log("close");
  }
  std::string label3 = kXmlDeclaration;
  CaptionSurface picture;
  MainForm* form = nullptr;  // where the window's events go
  bool shown = false;
  bool closed = false;
};

class FakeSettingsView : public SettingsView {
 public:
  explicit FakeSettingsView(SettingsForm& form) : form_(form) {}

  // Set by the program; a change of a path box raises its change handler.
  void set_text(SettingsBox box, std::string_view text) override {
    texts_[box] = text;
    changed(box);
  }
  std::string text(SettingsBox box) const override {
    if (unstorable_.count(box)) throw cp932::EncodingError("U+1F600 cannot be stored in Shift-JIS (code page 932)");
    const auto it = texts_.find(box);
    return it == texts_.end() ? std::string() : it->second;
  }
  void set_checked(SettingsCheck box, bool on) override { checks_[box] = on; }
  bool checked(SettingsCheck box) const override {
    const auto it = checks_.find(box);
    return it != checks_.end() && it->second;
  }
  void focus(SettingsBox box) override { focused = box; }
  std::string show_open(std::string_view file_name) override {
    opened_on.emplace_back(file_name);
    if (answers.empty()) return {};
    const std::string a = answers.front();
    answers.pop_front();
    if (a == "<unstorable>") throw cp932::EncodingError("U+1F600 cannot be stored in Shift-JIS (code page 932)");
    return a;
  }
  void message_box(std::string_view text) override {
    messages.push_back(RecordingView<>::readable(text));
    if (on_message) on_message();
  }
  void show() override { shown = true; }
  void close() override { closed = true; }

  // What the user does: typing (CP932 bytes, or a character CP932 cannot hold).
  void type(SettingsBox box, const std::string& text) {
    unstorable_.erase(box);
    texts_[box] = text;
    changed(box);
  }
  void type_unstorable(SettingsBox box) {
    unstorable_.insert(box);
    changed(box);
  }
  void tick(SettingsCheck box, bool on) { checks_[box] = on; }
  SettingsForm& form() { return form_; }

  std::vector<std::string> messages;  // UTF-8
  std::deque<std::string> answers;    // what the file dialog returns, "" cancels
  std::vector<std::string> opened_on;
  std::function<void()> on_message;
  SettingsBox focused = SettingsBox::FrmsetteiftpText1;
  bool shown = false;
  bool closed = false;

 private:
  void changed(SettingsBox box) {
    if (box == SettingsBox::FrmsetteiftpText1) form_.FrmsetteiftpText1_Change();
    if (box == SettingsBox::FRMsetteiftpText2) form_.FRMsetteiftpText2_Change();
  }
  SettingsForm& form_;
  std::map<SettingsBox, std::string> texts_;
  std::set<SettingsBox> unstorable_;
  std::map<SettingsCheck, bool> checks_;
};

// Keeps every window it made, closed or not, so tests can look back.
class FakeToolkit : public Toolkit {
 public:
  MainView& create_main_window(MainForm& form) override {
    mains.push_back(std::make_unique<FakeMainView>());
    mains.back()->form = &form;
    if (on_main) on_main(*mains.back());
    return *mains.back();
  }
  SettingsView& create_settings_dialog(SettingsForm& form) override {
    dialogs.push_back(std::make_unique<FakeSettingsView>(form));
    return *dialogs.back();
  }
  void quit() override { ++quits; }

  // Windows made and not closed.
  int open_windows() const {
    int n = 0;
    for (const auto& m : mains) n += !m->closed;
    for (const auto& d : dialogs) n += !d->closed;
    return n;
  }

  std::vector<std::unique_ptr<FakeMainView>> mains;
  std::vector<std::unique_ptr<FakeSettingsView>> dialogs;
  std::function<void(FakeMainView&)> on_main;
  int quits = 0;
};

}  // namespace quillon::testing

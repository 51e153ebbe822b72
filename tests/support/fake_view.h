#pragma once
// A main window that records what the stages do to it, and a drawing surface
// that records the bar's captions.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ftp/ftp.h"
#include "platform/cp932.h"
#include "widgets/caption_surface.h"

namespace quillon::testing {

// CP932 bytes of a UTF-8 literal, for comparing with view texts.
inline std::string sjis(std::string_view utf8) { return cp932::from_utf8(utf8); }

inline const char* button_name(Button b) {
  switch (b) {
    case Button::cmdOK: return "cmdOK";
    case Button::Cmdcancel: return "Cmdcancel";
    case Button::Command1: return "Command1";
  }
  return "?";
}

// Every call lands in `events` in order, texts in UTF-8 so that a failing
// expectation reads ("status:...", "enable:cmdOK", "disable:Command1",
// "picture:show"/"picture:hide", "cursor:wait"/"cursor:default", "repaint",
// "label1:...", "message:...", "beep"). Bytes that are not CP932 show as
// "<not cp932>" followed by the raw bytes, which no UTF-8 expectation matches.
// `Base` is FtpView or an interface built on it.
template <class Base = FtpView>
class RecordingView : public Base {
 public:
  void set_status(std::string_view text) override {
    status_.assign(text);
    statuses.emplace_back(text);
    log("status:" + readable(text));
  }
  std::string status() const override { return status_; }
  void set_enabled(Button button, bool on) override {
    enabled_[static_cast<int>(button)] = on;
    log(std::string(on ? "enable:" : "disable:") + button_name(button));
  }
  void set_picture_visible(bool visible) override {
    picture_visible = visible;
    log(visible ? "picture:show" : "picture:hide");
  }
  void set_cursor(Cursor c) override {
    cursor = c;
    log(c == Cursor::Wait ? "cursor:wait" : "cursor:default");
  }
  void repaint() override {
    ++repaints;
    log("repaint");
  }
  void set_label1_caption(std::string_view text) override {
    label1.assign(text);
    log("label1:" + readable(text));
  }
  void message_box(std::string_view text) override {
    messages.emplace_back(text);
    log("message:" + readable(text));
    if (on_message_box) on_message_box(text);
  }
  void beep() override {
    ++beeps;
    log("beep");
  }

  bool enabled(Button button) const { return enabled_[static_cast<int>(button)]; }
  bool all_enabled() const { return enabled_[0] && enabled_[1] && enabled_[2]; }
  bool none_enabled() const { return !enabled_[0] && !enabled_[1] && !enabled_[2]; }
  // Sets the state without logging, as a window left by earlier work.
  void preset(std::string_view status, bool buttons, bool picture, Cursor c) {
    status_.assign(status);
    enabled_[0] = enabled_[1] = enabled_[2] = buttons;
    picture_visible = picture;
    cursor = c;
  }
  // The messages in UTF-8.
  std::vector<std::string> messages_utf8() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(readable(m));
    return out;
  }
  std::string status_utf8() const { return readable(status_); }

  static std::string readable(std::string_view cp932_text) {
    try {
      return cp932::to_utf8(cp932_text);
    } catch (const cp932::EncodingError&) {
      return "<not cp932>" + std::string(cp932_text);
    }
  }

  std::vector<std::string> events;
  std::vector<std::string> statuses;  // raw, every text set
  std::vector<std::string> messages;  // raw CP932
  bool picture_visible = false;
  Cursor cursor = Cursor::Default;
  int repaints = 0;
  int beeps = 0;
  std::string label1;
  std::function<void(std::string_view)> on_message_box;

 protected:
  void log(std::string e) { events.push_back(std::move(e)); }

 private:
  std::string status_;
  bool enabled_[3] = {true, true, true};
};

using FakeView = RecordingView<>;

// Records each caption the bar shows.
class CaptionSurface : public quillon::CaptionSurface {
 public:
  CaptionSurface()
      : quillon::CaptionSurface([this](const std::string& caption) {
          captions.push_back(caption);
          ++refreshes;
        }) {}

  std::vector<std::string> captions;
  int refreshes = 0;
};

}  // namespace quillon::testing

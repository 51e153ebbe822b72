// Both Win32 windows under Wine on a desktop of their own: the checks both
// toolkits share.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/forms.h"
#include "support/program_fixture.h"
#include "win32/Frmsetteiftp.h"
#include "win32/frmstartftp.h"
#include "win32/win32_toolkit.h"

namespace quillon::testing {

using win32::utf8;

class Win32Probe final : public WindowProbe {
 public:
  explicit Win32Probe(win32::FormWindow& form) : f_(form) {}
  std::string window_row() const override {
    RECT r;
    ::GetClientRect(f_.hwnd(), &r);
    return window_row_of(utf8(win32::window_text(f_.hwnd())), r.right, r.bottom, style(f_.hwnd()) & WS_THICKFRAME);
  }
  std::optional<ControlView> control(const std::string& name) const override {
    HWND c = f_.control(name);
    if (c == nullptr) return std::nullopt;
    RECT r;
    ::GetWindowRect(c, &r);
    ::MapWindowPoints(nullptr, f_.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    ControlView v(r.left, r.top, r.right - r.left, r.bottom - r.top, utf8(win32::window_text(c)));
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(c, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (font != nullptr && font != f_.form_font() && ::GetObjectW(font, sizeof lf, &lf)) {
      v.font = utf8(lf.lfFaceName);
      v.pixels = -lf.lfHeight;
      v.bold_italic = lf.lfWeight >= FW_BOLD && lf.lfItalic;
    }
    wchar_t tip[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = f_.hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(c);
    tool.uFlags = TTF_IDISHWND;
    tool.lpszText = tip;
    ::SendMessageW(f_.tooltips(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    v.tooltip = utf8(tip);
    v.visible = ::IsWindowVisible(c);
    v.enabled = ::IsWindowEnabled(c);
    v.default_button = (style(c) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    v.masked = ::SendMessageW(c, EM_GETPASSWORDCHAR, 0, 0) == '*';
    return v;
  }
  std::string focused() const override { return name(::GetFocus()); }
  std::string next_in_tab_order(const std::string& from) const override {
    return name(::GetNextDlgTabItem(f_.hwnd(), f_.control(from), FALSE));
  }
  std::string control_at(int x, int y) const override {
    return name(::ChildWindowFromPointEx(f_.hwnd(), {x, y}, CWP_SKIPINVISIBLE));
  }
  void click(const std::string& n) override { ::SendMessageW(f_.control(n), BM_CLICK, 0, 0); }
  void type(const std::string& n, const std::string& text) override {
    ::SetWindowTextW(f_.control(n), win32::wide(text).c_str());
  }
  // Through the dialog manager, as the message loop hands keys on.
  void press_enter_and_escape(const std::string& n) override {
    ::SetFocus(f_.control(n));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
      MSG msg{f_.control(n), WM_KEYDOWN, key, 0, 0, {}};
      if (!::IsDialogMessageW(f_.hwnd(), &msg)) ::DispatchMessageW(&msg);
    }
  }
  void close() override { ::SendMessageW(f_.hwnd(), WM_CLOSE, 0, 0); }

 private:
  static LONG_PTR style(HWND w) { return ::GetWindowLongPtrW(w, GWL_STYLE); }
  std::string name(HWND c) const {
    for (const std::string& n : f_.names())
      if (f_.control(n) == c) return n;
    return "";
  }
  win32::FormWindow& f_;
};

class Win32Test : public ProgramFixture {
 protected:
  Win32Test() {
    static const bool prepared = (win32::prepare_application(), true);
    (void)prepared;
    win32::set_message_box_hook([this](const std::string& text) { messages.push_back(text); });
    win32::set_question_hook([this](const std::string& text, const std::vector<std::string>& buttons, int enter,
                                    int escape) { return answer(text, buttons, enter, escape); });
  }
  ~Win32Test() override {
    program_.reset();
    settle();
    win32::set_message_box_hook(nullptr);
    win32::set_question_hook(nullptr);
  }
  Toolkit& toolkit() override { return toolkit_; }
  std::unique_ptr<WindowProbe> probe(bool dialog) override {
    return std::make_unique<Win32Probe>(dialog ? dynamic_cast<win32::FormWindow&>(*program_->settings_dialog())
                                               : dynamic_cast<win32::FormWindow&>(*program_->main_window()));
  }
  void settle() override {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  }

 private:
  win32::Win32Toolkit toolkit_{[this] { ++quits; }};
};
using WindowTest = Win32Test;

// What the tables cannot say of a Win32 control: the character set its font
// was made with, and that a label with a tool tip hears the mouse (without
// SS_NOTIFY a static control gets none, and its tip never shows).
TEST_F(Win32Test, FontsCharacterSetsAndLabelTipsAsTheFormsDescribeThem) {
  start({});
  for (const form::Form* described : {&form::kFrmstartftp, &form::kFrmsetteiftp}) {
    if (described == &form::kFrmsetteiftp) open_dialog();
    auto& window = described == &form::kFrmstartftp ? dynamic_cast<win32::FormWindow&>(*program().main_window())
                                                    : dynamic_cast<win32::FormWindow&>(*program().settings_dialog());
    for (const form::Control& c : described->controls) {
      const form::Font& want = c.font.family ? c.font : described->font;
      LOGFONTW lf{};
      const auto font = reinterpret_cast<HFONT>(::SendMessageW(window.control(c.name), WM_GETFONT, 0, 0));
      if (font != nullptr && ::GetObjectW(font, sizeof lf, &lf)) {
        EXPECT_EQ(lf.lfCharSet, want.ansi ? ANSI_CHARSET : SHIFTJIS_CHARSET) << c.name;
      }
      if (c.kind == form::Kind::Label && c.tooltip) {
        EXPECT_TRUE(::GetWindowLongPtrW(window.control(c.name), GWL_STYLE) & SS_NOTIFY) << c.name;
      }
    }
  }
}

}  // namespace quillon::testing

#include "app/window_cases.h"

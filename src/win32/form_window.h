#pragma once
// What the Win32 forms share: a top-level window laid out in 96-dpi pixels
// that keeps its controls by name, the fonts, the message box, the message
// loop and the code page 932 edge. Win32 is the toolkit here.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/forms.h"
#include "platform/win_text.h"
#include "win32/gdi_surface.h"

namespace quillon::win32 {

// CP932 bytes for display; bytes that are not CP932 show as U+FFFD, which a
// save then refuses, so nothing is silently altered.
std::wstring utf16(std::string_view cp932_text);
// Throws an Error of Failed::Encoding naming `what` for a character CP932 cannot hold.
std::string to_cp932(const std::wstring& text, std::string_view what = "");
std::wstring window_text(HWND window);
using platform::wide;  // UTF-8 to UTF-16
inline std::string utf8(const std::wstring& text) { return platform::narrow(text); }

// A control's place in 96-dpi pixels: left, top, width, height.
struct Box {
  int x, y, w, h;
};

struct FontSpec {
  std::wstring face;  // empty: the form's own font
  double points = 9;
  bool bold = false;
  bool italic = false;
  BYTE charset = SHIFTJIS_CHARSET;
};

// Once per process: common controls, the window classes.
void prepare_application();
// A window of no form that runs the tasks posted to it (post_task) on the
// thread that made it, in the order posted, in any message loop of that thread.
HWND make_post_window();
void post_task(HWND target, std::function<void()> task);
// Until the program ends; Tab moves the focus between controls.
int run_message_loop();
// One message as the loop hands it on: to the dialog manager of its form,
// dropped when it is input to a form that holds it.
void hand_on(MSG& msg);
// OK only, no icon, application-modal, the title "quillon"; returns once it is
// dismissed. The hook, when set, replaces the box (tests answer it).
void message_box(HWND owner, std::string_view cp932_text);
void set_message_box_hook(std::function<void(const std::string& utf8)> hook);
// A task dialog with buttons of its own, left to right, the same title; the
// index of the one pressed (Esc and the close box: `escape`).
int question_box(HWND owner, std::string_view cp932_text, const std::vector<std::string>& cp932_buttons, int enter,
                 int escape);
using QuestionHook =
    std::function<int(const std::string& utf8, const std::vector<std::string>& utf8_buttons, int enter, int escape)>;
void set_question_hook(QuestionHook hook);

class FormWindow {
 public:
  // The form's window with every control of its description, named as the
  // form names them, in its focus order.
  explicit FormWindow(const form::Form& form);
  virtual ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND control(std::string_view name) const;
  // The name of the control that sends commands as `id`; empty for none.
  std::string_view name_of(int id) const;
  // The surface a picture box of the form shows.
  GdiSurface& picture(std::string_view name);
  // The named controls, in the order they were made.
  const std::vector<std::string>& names() const { return names_; }
  int dpi() const { return dpi_; }
  HWND tooltips() const { return tips_; }
  HFONT form_font() { return font_for(form_font_); }

  // Centred on the work area of its monitor.
  void show_centred();
  // Hidden at once and destroyed once the handlers on the stack have returned.
  void close_later();
  void message(std::string_view cp932_text);
  // The hourglass over the form until set back.
  void set_wait_cursor(bool on);
  // The message loop passes the form no mouse or key input until set back;
  // it can still be moved, covered and uncovered.
  void set_input_held(bool held) { input_held_ = held; }
  bool input_held() const { return input_held_; }

  // The form class's window procedure.
  static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);

 protected:
  virtual void on_command(int id, int code) = 0;
  virtual void on_close() = 0;

 private:
  // A control at 96-dpi pixels; `id` 0 when it sends no commands. Returns it.
  HWND add(const char* name, const wchar_t* cls, const std::wstring& caption, DWORD style, Box at, FontSpec font = {},
           int id = 0);
  // One control of each kind, as Win32 draws it.
  HWND make(const form::Control& c, int id);
  // A push button whose face is `face` rather than the system's button colour.
  HWND add_button(const char* name, const std::wstring& caption, Box at, FontSpec font, int id, COLORREF face);
  // A picture box that shows `surface`; the surface's refresh() repaints it.
  HWND add_picture(const char* name, Box at, GdiSurface& surface);
  void tooltip(HWND control, const std::wstring& text);
  // Tab visits the controls in this order; WS_TABSTOP is set on each.
  void tab_order(std::span<const char* const> names);
  // WM_CTLCOLOR*: a brush for the control's ground, or none for the system's.
  // Labels and check boxes lie on the form's ground, a box on its own colour.
  HBRUSH on_colour(HWND control, HDC dc, bool is_edit);
  HBRUSH brush(COLORREF colour);

  struct Placed {
    HWND hwnd;
    Box at;
    FontSpec font;
  };
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  HFONT font_for(const FontSpec& spec);
  int scaled(int px) const { return MulDiv(px, dpi_, 96); }
  void place_all();
  void draw_button(const DRAWITEMSTRUCT& item);

  HWND hwnd_ = nullptr;
  HWND tips_ = nullptr;
  int dpi_ = 96;
  FontSpec form_font_;
  HBRUSH background_;
  COLORREF background_colour_;
  std::vector<Placed> placed_;
  std::vector<std::string> names_;
  std::map<std::wstring, HFONT> fonts_;
  std::map<HWND, COLORREF> faces_;
  std::map<HWND, COLORREF> grounds_;
  std::map<COLORREF, HBRUSH> brushes_;
  std::map<std::string, std::unique_ptr<GdiSurface>, std::less<>> pictures_;
  bool closing_ = false;
  bool wait_cursor_ = false;
  bool input_held_ = false;
};

}  // namespace quillon::win32

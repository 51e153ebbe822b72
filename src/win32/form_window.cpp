#include "win32/form_window.h"

#include <commctrl.h>

#include <cmath>

#include "platform/cp932.h"
#include "platform/win_text.h"

namespace quillon::win32 {
namespace {

constexpr const wchar_t* kFormClass = L"QuillonForm";
constexpr const wchar_t* kPictureClass = L"QuillonPicture";
constexpr const wchar_t* kPostClass = L"QuillonPost";
constexpr UINT kDestroyLater = WM_APP + 1;
constexpr UINT kRunTask = WM_APP + 2;  // lParam: a task a run's thread posted
constexpr int kFirstId = 100;          // a control's command id: this and its place in the form

COLORREF colour(std::uint32_t rgb) {
  return rgb == form::kSystemColour ? ::GetSysColor(COLOR_BTNFACE) : RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

FontSpec spec(const form::Font& f) {
  if (f.family == nullptr) return {};
  return {wide(f.family), f.points, f.bold, f.italic, static_cast<BYTE>(f.ansi ? ANSI_CHARSET : SHIFTJIS_CHARSET)};
}

std::function<void(const std::string&)>& message_box_hook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

LRESULT CALLBACK picture_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return ::DefWindowProcW(hwnd, msg, wp, lp);
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd, &paint);
  if (auto* surface = reinterpret_cast<GdiSurface*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    ::StretchBlt(dc, 0, 0, r.right, r.bottom, static_cast<HDC>(surface->dc()), 0, 0, surface->pixel_width(),
                 surface->pixel_height(), SRCCOPY);
  }
  ::EndPaint(hwnd, &paint);
  return 0;
}

void register_class(const wchar_t* name, WNDPROC procedure, HICON icon) {
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = procedure;
  c.hInstance = ::GetModuleHandleW(nullptr);
  c.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  c.hIcon = icon;
  c.lpszClassName = name;
  ::RegisterClassExW(&c);
}

LRESULT CALLBACK post_procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kRunTask) return ::DefWindowProcW(hwnd, msg, wp, lp);
  const std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lp));
  (*task)();
  return 0;
}

// What the mouse and the keyboard send to a window's client area.
bool is_input(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) ||
         (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEMOVE);
}

}  // namespace

std::wstring utf16(std::string_view cp932_text) { return wide(cp932::to_utf8_lossy(cp932_text)); }

std::string to_cp932(const std::wstring& text, std::string_view what) { return cp932::from_utf8(utf8(text), what); }

std::wstring window_text(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void prepare_application() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The icon is the resource the program links in.
  register_class(kFormClass, FormWindow::procedure, ::LoadIconW(::GetModuleHandleW(nullptr), L"QUILLON"));
  register_class(kPictureClass, picture_procedure, nullptr);
  register_class(kPostClass, post_procedure, nullptr);
}

HWND make_post_window() {
  return ::CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                           nullptr);
}

void post_task(HWND target, std::function<void()> task) {
  auto* held = new std::function<void()>(std::move(task));
  // Only a full queue refuses, and it empties; the window lives as long as the program.
  while (!::PostMessageW(target, kRunTask, 0, reinterpret_cast<LPARAM>(held))) {
    if (!::IsWindow(target)) {
      delete held;
      return;
    }
    ::Sleep(10);
  }
}

void hand_on(MSG& msg) {
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  wchar_t cls[32] = {};
  if (root != nullptr && ::GetClassNameW(root, cls, 32) > 0 && std::wstring_view(cls) == kFormClass) {
    const auto* form = reinterpret_cast<const FormWindow*>(::GetWindowLongPtrW(root, GWLP_USERDATA));
    if (form != nullptr && form->input_held() && is_input(msg.message)) return;
    if (::IsDialogMessageW(root, &msg)) return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

int run_message_loop() {
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) hand_on(msg);
  return static_cast<int>(msg.wParam);
}

void message_box(HWND owner, std::string_view cp932_text) {
  if (message_box_hook()) {
    message_box_hook()(cp932::to_utf8_lossy(cp932_text));
    return;
  }
  ::MessageBoxW(owner, utf16(cp932_text).c_str(), L"quillon", MB_OK | MB_APPLMODAL);
}

void set_message_box_hook(std::function<void(const std::string&)> hook) { message_box_hook() = std::move(hook); }

namespace {
QuestionHook& question_hook() {
  static QuestionHook hook;
  return hook;
}
}  // namespace

void set_question_hook(QuestionHook hook) { question_hook() = std::move(hook); }

int question_box(HWND owner, std::string_view cp932_text, const std::vector<std::string>& cp932_buttons, int enter,
                 int escape) {
  if (question_hook()) {
    std::vector<std::string> buttons;
    for (const std::string& b : cp932_buttons) buttons.push_back(cp932::to_utf8_lossy(b));
    return question_hook()(cp932::to_utf8_lossy(cp932_text), buttons, enter, escape);
  }
  // Found at run time: only the common controls of version 6, which the
  // manifest asks for, have task dialogs.
  using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  const auto task_dialog = reinterpret_cast<TaskDialogIndirectFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"comctl32.dll"), "TaskDialogIndirect")));
  constexpr int kFirstButton = 100;
  const std::wstring text = utf16(cp932_text);
  std::vector<std::wstring> labels;
  for (const std::string& b : cp932_buttons) labels.push_back(utf16(b));
  // The Esc button answers to IDCANCEL, the id Esc and the close box send.
  const auto id = [&](int index) { return index == escape ? IDCANCEL : kFirstButton + index; };
  std::vector<TASKDIALOG_BUTTON> buttons;
  for (std::size_t i = 0; i < labels.size(); ++i) buttons.push_back({id(static_cast<int>(i)), labels[i].c_str()});
  TASKDIALOGCONFIG c{};
  c.cbSize = sizeof c;
  c.hwndParent = owner;
  c.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  c.pszWindowTitle = L"quillon";
  c.pszContent = text.c_str();
  c.cButtons = static_cast<UINT>(buttons.size());
  c.pButtons = buttons.data();
  c.nDefaultButton = id(enter);
  int pressed = IDCANCEL;
  if (task_dialog == nullptr || FAILED(task_dialog(&c, &pressed, nullptr, nullptr)) || pressed == IDCANCEL)
    return escape;
  const int index = pressed - kFirstButton;
  return index >= 0 && index < static_cast<int>(buttons.size()) ? index : escape;
}

FormWindow::FormWindow(const form::Form& form)
    : form_font_(spec(form.font)),
      background_(::CreateSolidBrush(colour(form.colour))),
      background_colour_(colour(form.colour)) {
  HDC screen = ::GetDC(nullptr);
  dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | (form.resizable ? WS_THICKFRAME : 0);
  RECT outer{0, 0, scaled(form.width), scaled(form.height)};
  ::AdjustWindowRectEx(&outer, style, FALSE, WS_EX_CONTROLPARENT);
  hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, wide(form.caption).c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), this);
  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(form_font_)), FALSE);
  tips_ =
      ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  for (std::size_t i = 0; i < form.controls.size(); ++i) {
    const form::Control& c = form.controls[i];
    HWND made = make(c, kFirstId + static_cast<int>(i));
    if (c.colour != form::kSystemColour && c.kind != form::Kind::Button) grounds_[made] = colour(c.colour);
    if (c.tooltip != nullptr) tooltip(made, wide(c.tooltip));
    if (c.hidden) ::ShowWindow(made, SW_HIDE);
  }
  tab_order(form.tab_order);
}

HWND FormWindow::make(const form::Control& c, int id) {
  const std::wstring caption = wide(c.caption);
  const Box at{c.at.x, c.at.y, c.at.w, c.at.h};
  switch (c.kind) {
    case form::Kind::Label:
      // A tool tip needs the label to take the mouse.
      return add(c.name, L"STATIC", caption, SS_LEFTNOWORDWRAP | (c.tooltip ? SS_NOTIFY : 0), at, spec(c.font));
    case form::Kind::TextBox: return add(c.name, L"EDIT", caption, ES_AUTOHSCROLL | WS_BORDER, at, spec(c.font), id);
    case form::Kind::MaskedBox: {
      HWND box = add(c.name, L"EDIT", caption, ES_AUTOHSCROLL | WS_BORDER | ES_PASSWORD, at, spec(c.font), id);
      ::SendMessageW(box, EM_SETPASSWORDCHAR, L'*', 0);
      return box;
    }
    case form::Kind::Button:
      if (c.colour != form::kSystemColour) return add_button(c.name, caption, at, spec(c.font), id, colour(c.colour));
      return add(c.name, L"BUTTON", caption, BS_PUSHBUTTON, at, spec(c.font), id);
    case form::Kind::CheckBox: return add(c.name, L"BUTTON", caption, BS_AUTOCHECKBOX, at, spec(c.font), id);
    case form::Kind::HLine:
    case form::Kind::VLine: return add(c.name, L"STATIC", L"", SS_BLACKRECT, at);
    case form::Kind::PictureBox: {
      auto& surface = pictures_[c.name] = std::make_unique<GdiSurface>(c.at.w, c.at.h);
      return add_picture(c.name, at, *surface);
    }
  }
  return nullptr;
}

std::string_view FormWindow::name_of(int id) const {
  const auto at = static_cast<std::size_t>(id - kFirstId);
  return id >= kFirstId && at < names_.size() ? std::string_view(names_[at]) : std::string_view();
}

GdiSurface& FormWindow::picture(std::string_view name) { return *pictures_.find(name)->second; }

FormWindow::~FormWindow() {
  if (hwnd_ != nullptr) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
  for (auto& [key, font] : fonts_) ::DeleteObject(font);
  for (auto& [key, b] : brushes_) ::DeleteObject(b);
  ::DeleteObject(background_);
}

HWND FormWindow::control(std::string_view name) const {
  for (std::size_t i = 0; i < names_.size(); ++i)
    if (names_[i] == name) return placed_[i].hwnd;
  return nullptr;
}

HFONT FormWindow::font_for(const FontSpec& spec) {
  const FontSpec& f = !spec.face.empty() ? spec : form_font_;
  const int height = -static_cast<int>(std::lround(f.points * dpi_ / 72.0));
  const std::wstring key = f.face + L"/" + std::to_wstring(height) + (f.bold ? L"b" : L"") + (f.italic ? L"i" : L"") +
                           L"/" + std::to_wstring(f.charset);
  HFONT& font = fonts_[key];
  if (font == nullptr)
    font = ::CreateFontW(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, FALSE, FALSE, f.charset,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, f.face.c_str());
  return font;
}

HWND FormWindow::add(const char* name, const wchar_t* cls, const std::wstring& caption, DWORD style, Box at,
                     FontSpec font, int id) {
  HWND control =
      ::CreateWindowExW(0, cls, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
  placed_.push_back({control, at, font});
  names_.emplace_back(name);
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(font)), FALSE);
  ::SetWindowPos(control, nullptr, scaled(at.x), scaled(at.y), scaled(at.w), scaled(at.h),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return control;
}

HWND FormWindow::add_button(const char* name, const std::wstring& caption, Box at, FontSpec font, int id,
                            COLORREF face) {
  HWND button = add(name, L"BUTTON", caption, BS_OWNERDRAW, at, std::move(font), id);
  faces_[button] = face;
  return button;
}

// The system's frame and pushed state, the face in its own colour.
void FormWindow::draw_button(const DRAWITEMSTRUCT& item) {
  RECT r = item.rcItem;
  const bool pushed = item.itemState & ODS_SELECTED;
  ::DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  RECT face = r;
  ::InflateRect(&face, -2, -2);
  HBRUSH brush = ::CreateSolidBrush(faces_[item.hwndItem]);
  ::FillRect(item.hDC, &face, brush);
  ::DeleteObject(brush);
  std::wstring caption = window_text(item.hwndItem);
  if (pushed) ::OffsetRect(&face, 1, 1);
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(item.itemState & ODS_DISABLED ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  ::DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &face,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS) {
    ::InflateRect(&face, -1, -1);
    ::DrawFocusRect(item.hDC, &face);
  }
}

HWND FormWindow::add_picture(const char* name, Box at, GdiSurface& surface) {
  HWND picture = add(name, kPictureClass, L"", 0, at);
  ::SetWindowLongPtrW(picture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&surface));
  ::SetWindowPos(picture, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  surface.set_refresh_callback([picture] {
    ::InvalidateRect(picture, nullptr, FALSE);
    ::UpdateWindow(picture);
  });
  return picture;
}

void FormWindow::tooltip(HWND control, const std::wstring& text) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());  // the tool tip keeps a copy
  ::SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void FormWindow::tab_order(std::span<const char* const> order) {
  HWND after = HWND_TOP;
  for (const char* name : order) {
    HWND c = control(name);
    ::SetWindowLongPtrW(c, GWL_STYLE, ::GetWindowLongPtrW(c, GWL_STYLE) | WS_TABSTOP);
    ::SetWindowPos(c, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c;
  }
}

void FormWindow::place_all() {
  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(form_font_)), FALSE);
  for (const Placed& p : placed_) {
    ::SendMessageW(p.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(p.font)), FALSE);
    ::SetWindowPos(p.hwnd, nullptr, scaled(p.at.x), scaled(p.at.y), scaled(p.at.w), scaled(p.at.h),
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void FormWindow::show_centred() {
  RECT outer;
  ::GetWindowRect(hwnd_, &outer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  ::SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);
  ::SetFocus(::GetNextDlgTabItem(hwnd_, nullptr, FALSE));  // the first in the tab order
  ::UpdateWindow(hwnd_);
}

void FormWindow::close_later() {
  if (closing_) return;
  closing_ = true;
  ::ShowWindow(hwnd_, SW_HIDE);
  ::PostMessageW(hwnd_, kDestroyLater, 0, 0);
}

// Before the form stands, the box has no owner.
void FormWindow::message(std::string_view cp932_text) {
  message_box(::IsWindowVisible(hwnd_) ? hwnd_ : nullptr, cp932_text);
}

void FormWindow::set_wait_cursor(bool on) {
  wait_cursor_ = on;
  ::SetCursor(::LoadCursorA(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

HBRUSH FormWindow::brush(COLORREF c) {
  if (c == background_colour_) return background_;
  HBRUSH& b = brushes_[c];
  if (b == nullptr) b = ::CreateSolidBrush(c);
  return b;
}

HBRUSH FormWindow::on_colour(HWND control, HDC dc, bool is_edit) {
  const auto own = grounds_.find(control);
  if (is_edit && own == grounds_.end()) return nullptr;
  const COLORREF ground = own != grounds_.end() ? own->second : background_colour_;
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::SetBkColor(dc, ground);
  return brush(ground);
}

LRESULT CALLBACK FormWindow::procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* form = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    form->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcW(hwnd, msg, wp, lp);
  return form->handle(msg, wp, lp);
}

LRESULT FormWindow::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (lp != 0 && !closing_) on_command(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_CLOSE:
      if (!closing_) on_close();
      return 0;
    case WM_ERASEBKGND: {
      RECT r;
      ::GetClientRect(hwnd_, &r);
      ::FillRect(reinterpret_cast<HDC>(wp), &r, background_);
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (HBRUSH b = on_colour(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp), msg == WM_CTLCOLOREDIT))
        return reinterpret_cast<LRESULT>(b);
      break;
    case WM_DRAWITEM: draw_button(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_SETCURSOR:
      if (!wait_cursor_) break;
      ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
      return TRUE;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      const RECT* r = reinterpret_cast<const RECT*>(lp);
      ::SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      place_all();
      return 0;
    }
    case kDestroyLater: ::DestroyWindow(hwnd_); return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      delete this;  // the toolkit made it with new; closing is its end
      return 0;
    default: break;
  }
  return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace quillon::win32

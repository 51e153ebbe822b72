// win_spy TITLE: what a top-level window titled TITLE shows, for tests that
// drive the Win32 windows from outside: "window X Y W H" (the client area on
// the screen), then a line a child, "class|text|X Y W H" on the screen, in
// the order Tab visits them. Exit 1 when no such window is visible.
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/win_text.h"

namespace {

using quillon::platform::narrow;

void print(const std::string& line) {
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string rect(RECT r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + " " +
         std::to_string(r.bottom - r.top);
}

BOOL CALLBACK child(HWND hwnd, LPARAM) {
  wchar_t cls[64] = {};
  ::GetClassNameW(hwnd, cls, 64);
  // WM_GETTEXT crosses to the window's process; a window busy in a transfer
  // shows no text rather than hanging the spy.
  wchar_t buffer[1024] = {};
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 1000, &length))
    length = 0;
  // A line a child: a text's own line breaks are written as \n and \r.
  std::wstring text;
  for (const wchar_t c : std::wstring_view(buffer, length))
    text += c == L'\n' ? L"\\n" : c == L'\r' ? L"\\r" : std::wstring(1, c);
  RECT r;
  ::GetWindowRect(hwnd, &r);
  print(narrow(cls) + "|" + narrow(text) + "|" + (::IsWindowVisible(hwnd) ? "" : "hidden ") +
        (::IsWindowEnabled(hwnd) ? "" : "disabled ") + rect(r) + "\n");
  return TRUE;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argc != 2) {
    print("usage: win_spy TITLE\n");
    return 2;
  }
  HWND found = nullptr;
  for (HWND w = ::FindWindowW(nullptr, argv[1]); w != nullptr; w = ::FindWindowExW(nullptr, w, nullptr, argv[1]))
    if (::IsWindowVisible(w)) found = w;
  if (found == nullptr) return 1;
  RECT client;
  ::GetClientRect(found, &client);
  ::MapWindowPoints(found, nullptr, reinterpret_cast<POINT*>(&client), 2);
  print("window " + rect(client) + "\n");
  ::EnumChildWindows(found, child, 0);
  return 0;
}

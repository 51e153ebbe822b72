#include <windows.h>

#include <shellapi.h>

#include "platform/terminal.h"
#include "platform/win_text.h"

namespace quillon::platform {

// A console answers GetConsoleMode; a pipe or a file does not.
bool stdout_is_terminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::vector<std::string> arguments(int, char**) {
  int count = 0;
  wchar_t** wide_args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = 1; wide_args != nullptr && i < count; ++i) out.push_back(narrow(wide_args[i]));
  ::LocalFree(wide_args);
  return out;
}

// Straight to the handle, past the C runtime's text mode, which would add a
// CR before every LF.
void write_text(Stream stream, std::string_view utf8) {
  const HANDLE handle = ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0, written = 0;
  if (::GetConsoleMode(handle, &mode)) {
    const std::wstring text = wide(utf8);
    ::WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  while (!utf8.empty() && ::WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
         written > 0)
    utf8.remove_prefix(written);
}

}  // namespace quillon::platform

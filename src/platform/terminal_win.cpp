#include <windows.h>

#include <cstdio>

#include "platform/terminal.h"
#include "platform/win_text.h"

namespace quillon::platform {

// A console answers GetConsoleMode; a pipe or a file does not.
bool stdout_is_terminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void write_text(Stream stream, std::string_view utf8) {
  std::FILE* f = stream == Stream::Out ? stdout : stderr;
  const HANDLE console = ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (!::GetConsoleMode(console, &mode)) {
    std::fwrite(utf8.data(), 1, utf8.size(), f);
    std::fflush(f);
    return;
  }
  std::fflush(f);
  const std::wstring text = wide(utf8);
  DWORD written = 0;
  ::WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace quillon::platform

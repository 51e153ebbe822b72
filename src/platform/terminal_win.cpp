#include <windows.h>

#include "platform/terminal.h"

namespace quillon::platform {

// A console answers GetConsoleMode; a pipe or a file does not.
bool stdout_is_terminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace quillon::platform

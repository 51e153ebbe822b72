// quillon.exe: the main window and the settings dialog.
#include <windows.h>

#include "app/program.h"
#include "win32/form_window.h"
#include "win32/win32_toolkit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  quillon::win32::prepare_application();
  quillon::win32::Win32Toolkit toolkit;
  quillon::Program program(toolkit);
  if (!program.start()) return 0;
  return quillon::win32::run_message_loop();
}

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/win_text.h"
#include "support/system.h"

namespace quillon::testing {
namespace {

using platform::wide;

HANDLE open_for_child(const std::filesystem::path& file) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

}  // namespace

const bool kWindows = true;
const SystemWords kWords = {"File not found", "Path not found", "Access denied"};

void set_env(const char* name, const std::string& value) { ::_wputenv_s(wide(name).c_str(), wide(value).c_str()); }

std::filesystem::path use_settings_home(const std::filesystem::path& home) {
  ::_wputenv_s(L"APPDATA", home.c_str());
  return home / "Quillon";
}

int run_program(const std::string& program, const std::string& args, const std::filesystem::path& dir,
                const std::filesystem::path& out, const std::filesystem::path& err,
                const std::function<bool()>& kill_when) {
  std::wstring command = L"\"" + wide(program) + L"\" " + wide(args);
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = INVALID_HANDLE_VALUE;
  PROCESS_INFORMATION child{};
  // Under Wine a start can fail for a moment (an output file still held by the
  // program before, the prefix still being set up): tried again for 10 s.
  DWORD error = 0;
  for (int attempt = 0; attempt < 40 && (attempt == 0 || error != 0); ++attempt, ::Sleep(error ? 250 : 0)) {
    start.hStdOutput = open_for_child(out);
    start.hStdError = open_for_child(err);
    const bool started =
        start.hStdOutput != INVALID_HANDLE_VALUE && start.hStdError != INVALID_HANDLE_VALUE &&
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &start, &child);
    error = started ? 0 : ::GetLastError();
    ::CloseHandle(start.hStdOutput), ::CloseHandle(start.hStdError);
  }
  if (error != 0) throw std::runtime_error("cannot start " + program + ": error " + std::to_string(error));
  while (::WaitForSingleObject(child.hProcess, kill_when ? 10 : INFINITE) == WAIT_TIMEOUT)
    if (kill_when()) ::TerminateProcess(child.hProcess, static_cast<UINT>(-1));
  DWORD code = 0;
  ::GetExitCodeProcess(child.hProcess, &code);
  ::CloseHandle(child.hProcess);
  ::CloseHandle(child.hThread);
  return static_cast<int>(code);
}

}  // namespace quillon::testing

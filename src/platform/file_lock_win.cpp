#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/file_lock.h"
#include "platform/win_text.h"

namespace quillon::platform {
namespace {

// The byte locked lies far past the note, so that others can read the note
// while the lock is held.
OVERLAPPED lock_place() {
  OVERLAPPED at{};
  at.OffsetHigh = 1;
  return at;
}

class LockedFile final : public FileLock {
 public:
  explicit LockedFile(HANDLE file) : file_(file) {}
  ~LockedFile() override { ::CloseHandle(file_); }
  void note(const std::string& text) override {
    DWORD written = 0;
    if (::SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == 0 && ::SetEndOfFile(file_))
      ::WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

 private:
  HANDLE file_;
};

HANDLE open_lock_file(const std::string& path, DWORD access, DWORD disposition) {
  return ::CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::unique_ptr<FileLock> FileLock::try_take(const std::string& path, Result& result) {
  const HANDLE file = open_lock_file(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) {
    result = Result::Unavailable;
    return nullptr;
  }
  // A reader's glance (holder_note) holds it for a moment only: look again before saying it is held.
  for (int tries = 0;; ++tries) {
    OVERLAPPED at = lock_place();
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) break;
    const DWORD error = ::GetLastError();
    if (error != ERROR_LOCK_VIOLATION || tries == 3) {
      result = error == ERROR_LOCK_VIOLATION ? Result::Held : Result::Unavailable;
      ::CloseHandle(file);
      ::SetLastError(error);  // for file_error()
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result = Result::Taken;
  return std::make_unique<LockedFile>(file);
}

std::optional<std::string> FileLock::holder_note(const std::string& path) {
  const HANDLE file = open_lock_file(path, GENERIC_READ, OPEN_EXISTING);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> note;
  OVERLAPPED at = lock_place();
  if (::LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    at = lock_place();
    ::UnlockFileEx(file, 0, 1, 0, &at);
  } else {
    char buf[64];
    DWORD n = 0;
    note = ::ReadFile(file, buf, sizeof buf, &n, nullptr) ? std::string(buf, n) : std::string();
  }
  ::CloseHandle(file);
  return note;
}

}  // namespace quillon::platform

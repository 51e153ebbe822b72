#include <windows.h>

#include "platform/instance_lock.h"
#include "platform/win_text.h"

namespace quillon::platform {
namespace {

class LockedFile final : public InstanceLock {
 public:
  explicit LockedFile(HANDLE file) : file_(file) {}
  ~LockedFile() override { ::CloseHandle(file_); }

 private:
  HANDLE file_;
};

}  // namespace

// The system drops the lock when the holder ends, however it ends, so a stale
// file never blocks a later start.
std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& path) {
  const HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  OVERLAPPED at{};
  if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    ::CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<LockedFile>(file);
}

}  // namespace quillon::platform

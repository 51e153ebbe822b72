#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/instance_lock.h"

namespace quillon::platform {
namespace {

class FlockLock final : public InstanceLock {
 public:
  explicit FlockLock(int fd) : fd_(fd) {}
  ~FlockLock() override { ::close(fd_); }

 private:
  int fd_;
};

}  // namespace

// flock() is released by the kernel when the holder ends, however it ends,
// so a stale file never blocks a later start.
std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FlockLock>(fd);
}

}  // namespace quillon::platform

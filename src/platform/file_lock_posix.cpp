#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/file_lock.h"

namespace quillon::platform {
namespace {

class Flock final : public FileLock {
 public:
  explicit Flock(int fd) : fd_(fd) {}
  ~Flock() override { ::close(fd_); }
  void note(const std::string& text) override {
    if (::ftruncate(fd_, 0) == 0) (void)!::pwrite(fd_, text.data(), text.size(), 0);
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<FileLock> FileLock::try_take(const std::string& path, Result& result) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    result = Result::Unavailable;
    return nullptr;
  }
  // A reader's glance (holder_note) holds it for a moment only: look again before saying it is held.
  for (int tries = 0; ::flock(fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
    if (errno != EWOULDBLOCK || tries == 3) {
      const int error = errno;
      result = error == EWOULDBLOCK ? Result::Held : Result::Unavailable;
      ::close(fd);
      errno = error;  // for file_error()
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result = Result::Taken;
  return std::make_unique<Flock>(fd);
}

std::optional<std::string> FileLock::holder_note(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> note;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    char buf[64];
    const ssize_t n = ::pread(fd, buf, sizeof buf, 0);
    note = std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
  }
  ::close(fd);
  return note;
}

}  // namespace quillon::platform

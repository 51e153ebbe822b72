#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/test_switch.h"

namespace quillon::platform {

struct ReplacingFile::Impl {
  std::string target;
  std::string temp;
  int fd = -1;
  bool committed = false;
  std::string reason;

  bool fail() {
    reason = std::strerror(errno);
    return false;
  }
};

ReplacingFile::ReplacingFile(const std::string& target, Access access) : impl_(new Impl) {
  impl_->target = target;
  impl_->temp = target + ".tmp-XXXXXX";
  impl_->fd = target.empty() ? -1 : ::mkstemp(impl_->temp.data());
  if (impl_->fd < 0) {
    impl_->reason = target.empty() ? "no file name" : std::strerror(errno);
    impl_->temp.clear();  // nothing was created, so nothing to remove
    return;
  }
  mode_t mode = S_IRUSR | S_IWUSR;
  if (access == Access::Ordinary) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;  // what an ordinary create gives, not mkstemp's owner-only
  }
  ::fchmod(impl_->fd, mode);
}

ReplacingFile::~ReplacingFile() {
  if (impl_->fd >= 0) ::close(impl_->fd);
  if (!impl_->committed && !impl_->temp.empty()) ::unlink(impl_->temp.c_str());
}

bool ReplacingFile::ok() const { return impl_->fd >= 0; }

bool ReplacingFile::write(std::string_view bytes) {
  if (impl_->fd < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(impl_->fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return impl_->fail();
    done += static_cast<std::size_t>(n);
  }
  return true;
}

namespace {
std::atomic<unsigned long> flushes{0};
bool counted(bool flushed) { return flushed && (++flushes, true); }
}  // namespace

unsigned long files_flushed() { return flushes; }

bool ReplacingFile::commit() {
  if (impl_->fd < 0) return false;
  const bool synced = !test_failure("fail-flush", impl_->reason) && (counted(::fsync(impl_->fd) == 0) || impl_->fail());
  const bool closed = ::close(impl_->fd) == 0 || impl_->fail();
  impl_->fd = -1;
  if (!synced || !closed) return false;
  if (test_failure("fail-rename", impl_->reason)) return false;
  if (std::rename(impl_->temp.c_str(), impl_->target.c_str()) != 0) return impl_->fail();
  impl_->committed = true;
  return true;
}

const std::string& ReplacingFile::reason() const { return impl_->reason; }

Error file_error(Failed failed, const std::string& what) {
  const int number = errno;
  const std::string why = std::strerror(number);
  return Error(failed, what.empty() ? why : what + " (" + why + ")", static_cast<std::uint32_t>(number));
}

bool read_whole_file(const std::string& path, std::string& data) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // One read into storage of the file's size; the loop only matters if it grows meanwhile.
  struct stat st {};
  std::size_t size = 0;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) size = static_cast<std::size_t>(st.st_size);
  data.resize(size + 1);
  std::size_t filled = 0;
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, data.data() + filled, data.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    filled += static_cast<std::size_t>(n);
    if (filled == data.size()) data.resize(data.size() * 2);
  }
  ::close(fd);
  data.resize(filled);
  return ok;
}

bool ordinary_file_exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

long long file_size(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return static_cast<long long>(st.st_size);
}

namespace {
bool create(const std::string& path, int flags, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, mode);
  return fd >= 0 && ::close(fd) == 0;
}
}  // namespace

bool create_if_missing(const std::string& path) { return create(path, 0, 0600); }

// A hard link cannot replace what is there; the old name then goes.
bool rename_file(const std::string& from, const std::string& to) {
  return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
}
bool create_empty_file(const std::string& path) { return create(path, O_TRUNC, 0666); }

}  // namespace quillon::platform

#include "platform/instance_lock.h"

#include "platform/file_lock.h"

namespace quillon::platform {
namespace {

class Held final : public InstanceLock {
 public:
  explicit Held(std::unique_ptr<FileLock> lock) : lock_(std::move(lock)) {}

 private:
  std::unique_ptr<FileLock> lock_;
};

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::acquire(const std::string& path) {
  FileLock::Result result;
  std::unique_ptr<FileLock> lock = FileLock::try_take(path, result);
  return lock ? std::make_unique<Held>(std::move(lock)) : nullptr;
}

}  // namespace quillon::platform

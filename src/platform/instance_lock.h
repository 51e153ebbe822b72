#pragma once
// The marker a running instance holds, so that a second start can tell.
#include <memory>
#include <string>

namespace quillon::platform {

class InstanceLock {
 public:
  // Takes the per-user marker at `path`. Returns nullptr when another running
  // process holds it. A marker left by a process that ended (even by a crash)
  // does not count.
  static std::unique_ptr<InstanceLock> acquire(const std::string& path);
  virtual ~InstanceLock() = default;

 protected:
  InstanceLock() = default;
};

}  // namespace quillon::platform

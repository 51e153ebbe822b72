#include "platform/module_posix.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "platform/sqlite_api.h"
#include "platform/test_switch.h"

namespace quillon::platform {

std::string executable_dir() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, static_cast<std::size_t>(n));
  return exe.substr(0, exe.rfind('/'));
}

// Symbols are bound as they are first called: a module pulls in libraries
// with many the program never calls.
void* open_module(const std::string& file) {
  for (std::string path : {executable_dir(), executable_dir() + "/" QUILLON_MODULE_DIR}) {
    path += '/';
    path += file;
    if (void* module = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL)) return module;
  }
  return nullptr;
}

const SqliteApi* sqlite_api() {
  static const SqliteApi* const api = [] {
    using Get = const SqliteApi* (*)();
    void* module = open_module(QUILLON_SQLITE_MODULE);
    const auto get = module ? reinterpret_cast<Get>(::dlsym(module, "quillon_sqlite_api")) : nullptr;
    const SqliteApi* const loaded = get ? get() : nullptr;
    if (loaded) with_test_files(*loaded);
    return loaded;
  }();
  return api;
}

}  // namespace quillon::platform

#pragma once
// The program's modules: beside it in a build, in its installed library
// folder otherwise.
#include <string>

namespace quillon::platform {

// dlopen's handle, or nullptr when it is in neither place. Kept for good.
void* open_module(const std::string& file);

// The folder the running program is in.
std::string executable_dir();

}  // namespace quillon::platform

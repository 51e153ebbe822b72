// Placeholder until the convert command lands; replaced by its real implementation.
#include <cstdio>

#include "cli/commands.h"

namespace quillon::cli {

int convert(const std::vector<std::string>&) {
  std::fputs("quillon-cli: convert is not built yet\n", stderr);
  return kExitFailed;
}

}  // namespace quillon::cli

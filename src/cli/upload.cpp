// Placeholder until the upload command lands; replaced by its real implementation.
#include <cstdio>

#include "cli/commands.h"

namespace quillon::cli {

int upload(const std::vector<std::string>&) {
  std::fputs("quillon-cli: upload is not built yet\n", stderr);
  return kExitFailed;
}

}  // namespace quillon::cli

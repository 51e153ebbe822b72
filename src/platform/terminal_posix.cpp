#include <unistd.h>

#include "platform/terminal.h"

namespace quillon::platform {

bool stdout_is_terminal() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace quillon::platform

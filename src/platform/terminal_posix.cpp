#include <unistd.h>

#include <cstdio>

#include "platform/terminal.h"

namespace quillon::platform {

bool stdout_is_terminal() { return ::isatty(STDOUT_FILENO) == 1; }

std::vector<std::string> arguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

void write_text(Stream stream, std::string_view utf8) {
  std::FILE* f = stream == Stream::Out ? stdout : stderr;
  std::fwrite(utf8.data(), 1, utf8.size(), f);
  std::fflush(f);
}

}  // namespace quillon::platform

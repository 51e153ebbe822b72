#pragma once
// Whether the program talks to a person or to a pipe, and text for either.
#include <string>
#include <string_view>
#include <vector>

namespace quillon::platform {

bool stdout_is_terminal();

// The program's arguments after its name, as UTF-8: Windows hands them over
// in UTF-16 whatever the code page, which argv would turn to "?".
std::vector<std::string> arguments(int argc, char** argv);

enum class Stream { Out, Err };
// UTF-8 text to stdout or stderr, flushed: a Windows console takes it as
// UTF-16, so Japanese shows whatever its code page; a pipe or a file gets the
// bytes as they are, on every system.
void write_text(Stream stream, std::string_view utf8);

}  // namespace quillon::platform

#pragma once
// Whether the program talks to a person or to a pipe, and text for either.
#include <string_view>

namespace quillon::platform {

bool stdout_is_terminal();

enum class Stream { Out, Err };
// UTF-8 text to stdout or stderr, flushed: a Windows console takes it as
// UTF-16, so Japanese shows whatever its code page; anything else gets the bytes.
void write_text(Stream stream, std::string_view utf8);

}  // namespace quillon::platform

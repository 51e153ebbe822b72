#pragma once
// What both code page 932 backends share: the ASCII shortcut and the words of
// their refusals.
#include <string>
#include <string_view>

namespace quillon::cp932::backend {

// ASCII is the same bytes in both encodings: no converter is needed.
bool is_ascii(std::string_view s);

// Bytes that are not CP932, from `offset` on.
[[noreturn]] void refuse_bytes(std::size_t offset);

// A character CP932 cannot hold, named by `name`; `what` names the value.
[[noreturn]] void refuse_character(std::string_view what, const std::string& name);
std::string byte_name(unsigned char byte);         // "the byte 0xFF"
std::string code_point_name(unsigned long point);  // "U+1F600"

}  // namespace quillon::cp932::backend

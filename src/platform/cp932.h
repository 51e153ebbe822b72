#pragma once
// Code page 932 (the Windows flavour of Shift-JIS) at the edges of the program.
// Log and settings values stay CP932 bytes everywhere else.
#include <string>
#include <string_view>

#include "platform/error.h"

namespace quillon::cp932 {

// Bytes that are not valid CP932 throw an Error of Failed::Encoding, as does
// any conversion below that cannot be made.
std::string to_utf8(std::string_view cp932_bytes);

// For a terminal: bytes that are not CP932 come back as they are.
std::string to_utf8_or_as_is(std::string_view bytes);
// The other way, for a text from elsewhere (a library, the system): UTF-8 that
// CP932 cannot hold passes as it is.
std::string from_utf8_or_as_is(std::string_view utf8);

// For a window: each byte that does not start a CP932 character shows as U+FFFD.
std::string to_utf8_lossy(std::string_view bytes);

// `what` (CP932) names the value in the error ("--csv", a label...; empty: no
// name): a character that CP932 cannot hold is refused and named as U+XXXX,
// never replaced by "?".
std::string from_utf8(std::string_view utf8, std::string_view what = "text");

// UTF-8 literals of our own texts; they are all storable.
inline std::string text(std::string_view utf8) { return from_utf8(utf8, "fixed text"); }

}  // namespace quillon::cp932

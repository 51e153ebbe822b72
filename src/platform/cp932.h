#pragma once
// Code page 932 (the Windows flavour of Shift-JIS) at the edges of the program.
// Log and settings values stay CP932 bytes everywhere else.
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon::cp932 {

class EncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bytes that are not valid CP932 throw EncodingError.
std::string to_utf8(std::string_view cp932_bytes);

// Text meant for a UTF-8 world (a terminal, a file name); bytes that are not
// CP932 come back as they are.
std::string to_utf8_or_as_is(std::string_view bytes);

// `what` names the value in the error ("callsign", a field name...): a character
// that CP932 cannot hold is refused, never replaced by "?".
std::string from_utf8(std::string_view utf8, std::string_view what = "text");

}  // namespace quillon::cp932

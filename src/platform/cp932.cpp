#include "platform/cp932.h"

#include <algorithm>
#include <cstdio>

#include "platform/cp932_backend.h"

namespace quillon {

std::string Error::utf8() const { return cp932::to_utf8_or_as_is(what()); }

namespace cp932 {

std::string from_utf8_or_as_is(std::string_view utf8) {
  try {
    return from_utf8(utf8, "");
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
    return std::string(utf8);
  }
}

std::string to_utf8_or_as_is(std::string_view bytes) {
  try {
    return to_utf8(bytes);
  } catch (const Error& e) {
    rethrow_unless(Failed::Encoding, e);
    return std::string(bytes);
  }
}

namespace backend {

bool is_ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void refuse_bytes(std::size_t offset) {
  throw Error(Failed::Encoding, "bytes at offset " + std::to_string(offset) + " are not valid code page 932");
}

void refuse_character(std::string_view what, const std::string& name) {
  throw Error(Failed::Encoding, (what.empty() ? std::string() : std::string(what) + ": ") + name +
                                    " cannot be stored in Shift-JIS (code page 932)");
}

std::string byte_name(unsigned char byte) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "the byte 0x%02X", byte);
  return buf;
}

std::string code_point_name(unsigned long point) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04lX", point);
  return buf;
}

}  // namespace backend
}  // namespace cp932
}  // namespace quillon

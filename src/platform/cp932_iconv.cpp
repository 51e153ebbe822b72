#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/cp932.h"

namespace quillon {

std::string Error::utf8() const { return cp932::to_utf8_or_as_is(what()); }

namespace cp932 {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// Returns false on an unconvertible or malformed sequence; `bad_at` is its offset.
bool convert(const char* to, const char* from, std::string_view in, std::string& out,
             std::size_t& bad_at) {
  // ASCII is the same bytes in both: most paths and texts need no converter loaded.
  if (std::all_of(in.begin(), in.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    out.assign(in);
    return true;
  }
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw EncodingError(std::string("iconv cannot convert ") + from + " to " + to);
  std::unique_ptr<void, IconvCloser> guard(cd);
  out.clear();
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char buf[4096];
  while (src_left > 0) {
    char* dst = buf;
    std::size_t dst_left = sizeof buf;
    std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      bad_at = in.size() - src_left;
      return false;
    }
  }
  return true;
}

// "U+1F600" for the UTF-8 character at the start of `s`, or the byte when it starts none.
std::string code_point_name(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  const std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  char buf[16];
  if (len == 1 || s.size() < len) {
    std::snprintf(buf, sizeof buf, "0x%02X", lead);
    return std::string("the byte ") + buf;
  }
  unsigned long cp = lead & (0x7F >> len);
  for (std::size_t i = 1; i < len; ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  std::snprintf(buf, sizeof buf, "U+%04lX", cp);
  return buf;
}

}  // namespace

std::string to_utf8(std::string_view cp932_bytes) {
  std::string out;
  std::size_t bad_at = 0;
  if (!convert("UTF-8", "CP932", cp932_bytes, out, bad_at))
    throw EncodingError("bytes at offset " + std::to_string(bad_at) + " are not valid code page 932");
  return out;
}

std::string to_utf8_or_as_is(std::string_view bytes) {
  try {
    return to_utf8(bytes);
  } catch (const EncodingError&) {
    return std::string(bytes);
  }
}

std::string to_utf8_lossy(std::string_view bytes) {
  std::string out;
  std::size_t bad_at = 0;
  if (convert("UTF-8", "CP932", bytes, out, bad_at)) return out;
  out.clear();
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const bool single = lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF);
    const std::size_t len = single ? 1 : 2;
    std::string piece;
    if (i + len <= bytes.size() && convert("UTF-8", "CP932", bytes.substr(i, len), piece, bad_at)) {
      out += piece;
      i += len;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

std::string from_utf8(std::string_view utf8, std::string_view what) {
  std::string out;
  std::size_t bad_at = 0;
  if (!convert("CP932", "UTF-8", utf8, out, bad_at))
    throw EncodingError((what.empty() ? std::string() : std::string(what) + ": ") +
                        code_point_name(utf8.substr(bad_at)) +
                        " cannot be stored in Shift-JIS (code page 932)");
  return out;
}

}  // namespace cp932
}  // namespace quillon

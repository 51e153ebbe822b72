#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace quillon::cp932 {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// Returns false on an unconvertible or malformed sequence; `bad_at` is its offset.
bool convert(const char* to, const char* from, std::string_view in, std::string& out,
             std::size_t& bad_at) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw EncodingError(std::string("iconv cannot convert ") + from + " to " + to);
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

std::string from_utf8(std::string_view utf8, std::string_view what) {
  std::string out;
  std::size_t bad_at = 0;
  if (!convert("CP932", "UTF-8", utf8, out, bad_at)) {
    // Name the offending character itself, so the user can find it.
    std::size_t len = 1;
    unsigned char lead = static_cast<unsigned char>(utf8[bad_at]);
    if (lead >= 0xF0) len = 4;
    else if (lead >= 0xE0) len = 3;
    else if (lead >= 0xC0) len = 2;
    std::string ch(utf8.substr(bad_at, len));
    throw EncodingError(std::string(what) + ": the character \"" + ch +
                        "\" cannot be stored in Shift-JIS (code page 932)");
  }
  return out;
}

}  // namespace quillon::cp932

#include <iconv.h>

#include <cerrno>
#include <memory>

#include "platform/cp932.h"
#include "platform/cp932_backend.h"

namespace quillon::cp932 {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// Returns false on an unconvertible or malformed sequence; `bad_at` is its offset.
bool convert(const char* to, const char* from, std::string_view in, std::string& out, std::size_t& bad_at) {
  // Most paths and texts need no converter loaded.
  if (backend::is_ascii(in)) {
    out.assign(in);
    return true;
  }
  iconv_t cd = iconv_open(to, from);
  // (iconv_t)-1 is how iconv_open says it failed.
  if (cd == reinterpret_cast<iconv_t>(-1))  // NOLINT(performance-no-int-to-ptr)
    throw Error(Failed::Encoding, std::string("iconv cannot convert ") + from + " to " + to);
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
std::string character_name(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  const std::size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  if (len == 1 || s.size() < len) return backend::byte_name(lead);
  unsigned long cp = lead & (0x7F >> len);
  for (std::size_t i = 1; i < len; ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
  return backend::code_point_name(cp);
}

}  // namespace

std::string to_utf8(std::string_view cp932_bytes) {
  std::string out;
  std::size_t bad_at = 0;
  if (!convert("UTF-8", "CP932", cp932_bytes, out, bad_at)) backend::refuse_bytes(bad_at);
  return out;
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
    backend::refuse_character(what, character_name(utf8.substr(bad_at)));
  return out;
}

}  // namespace quillon::cp932

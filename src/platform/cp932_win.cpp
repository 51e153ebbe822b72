#include <windows.h>

#include "platform/cp932.h"
#include "platform/cp932_backend.h"
#include "platform/win_text.h"

namespace quillon {
namespace platform {

std::wstring wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n =
      ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string windows_error() {
  const DWORD code = ::GetLastError();
  wchar_t* text = nullptr;
  const DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words(text, n);
  ::LocalFree(text);
  while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ' ||
                            words.back() == L'.' || words.back() == L'\x3002'))
    words.pop_back();
  if (words.empty()) return "Windows error " + std::to_string(code);
  const int size =
      ::WideCharToMultiByte(932, 0, words.data(), static_cast<int>(words.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(932, 0, words.data(), static_cast<int>(words.size()), out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace platform

namespace cp932 {
namespace {

// One CP932 character (one or two bytes) as UTF-16; false when it is none.
bool decode_one(std::string_view bytes, std::size_t at, std::size_t& length, std::wstring& out) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  length = (lead < 0x80 || (lead >= 0xA1 && lead <= 0xDF)) ? 1 : 2;
  if (lead == 0x80) return false;  // Windows reads it as U+0080, iconv's CP932 (the Linux build) refuses it
  if (at + length > bytes.size()) return false;
  wchar_t w[2];
  const int n = ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data() + at, static_cast<int>(length), w, 2);
  if (n <= 0) return false;
  out.append(w, static_cast<std::size_t>(n));
  return true;
}

// Windows' table refuses these, where iconv's CP932 (and so the Linux build)
// stores them: the same text must give the same bytes on both systems.
char32_t as_iconv_does(char32_t c) {
  switch (c) {
    case 0x301C: return 0xFF5E;  // 〜 -> ～ (81 60)
    case 0x2212: return 0xFF0D;  // − -> － (81 7C)
    case 0x2016: return 0x2225;  // ‖ -> ∥ (81 61)
    case 0x2014: return 0x2015;  // — -> ― (81 5C)
    case 0x00A2: return 0xFFE0;  // ¢ -> ￠ (81 91)
    case 0x00A3: return 0xFFE1;  // £ -> ￡ (81 92)
    case 0x00AC: return 0xFFE2;  // ¬ -> ￢ (81 CA)
    case 0x00A5: return 0x5C;    // ¥ -> 5C
    case 0x203E: return 0x7E;    // ‾ -> 7E
    default: return c;
  }
}

}  // namespace

std::string to_utf8(std::string_view cp932_bytes) {
  if (backend::is_ascii(cp932_bytes)) return std::string(cp932_bytes);
  std::wstring w;
  for (std::size_t at = 0, length = 0; at < cp932_bytes.size(); at += length)
    if (!decode_one(cp932_bytes, at, length, w)) backend::refuse_bytes(at);
  return platform::narrow(w);
}

std::string to_utf8_lossy(std::string_view bytes) {
  std::wstring w;
  for (std::size_t at = 0, length = 0; at < bytes.size(); at += length) {
    if (!decode_one(bytes, at, length, w)) {
      w += L'\xFFFD';
      length = 1;
    }
  }
  return platform::narrow(w);
}

std::string from_utf8(std::string_view utf8, std::string_view what) {
  if (backend::is_ascii(utf8)) return std::string(utf8);
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[at]);
    const std::size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    char32_t c = len == 1 ? lead : lead & (0x7F >> len);
    bool valid = len != 0 && at + len <= utf8.size();
    for (std::size_t i = 1; valid && i < len; ++i) {
      const auto b = static_cast<unsigned char>(utf8[at + i]);
      valid = (b & 0xC0) == 0x80;
      c = (c << 6) | (b & 0x3F);
    }
    if (!valid || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
      backend::refuse_character(what, backend::byte_name(lead));
    const char32_t mapped = as_iconv_does(c);
    std::wstring w;
    if (mapped >= 0x10000) {
      w += static_cast<wchar_t>(0xD800 + ((mapped - 0x10000) >> 10));
      w += static_cast<wchar_t>(0xDC00 + ((mapped - 0x10000) & 0x3FF));
    } else {
      w += static_cast<wchar_t>(mapped);
    }
    char bytes[4];
    BOOL used_default = FALSE;
    const int n = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), bytes,
                                        sizeof bytes, nullptr, &used_default);
    // Windows alone stores U+0080 and U+F8F0-U+F8F3 (as 0x80, 0xA0, 0xFD-0xFF); iconv's CP932 refuses them.
    const bool windows_only = c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3);
    if (n <= 0 || used_default || windows_only) backend::refuse_character(what, backend::code_point_name(c));
    out.append(bytes, static_cast<std::size_t>(n));
    at += len;
  }
  return out;
}

}  // namespace cp932
}  // namespace quillon

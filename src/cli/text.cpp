#include "text.h"

#include <cstdint>

#include "catalog.h"

namespace quillon::cli {

std::size_t columns(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
    std::uint32_t code = length == 1 ? lead : lead & (0x3f >> (length - 1));
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3f);
    n += code >= 0x2e80 && !(code >= 0xff61 && code <= 0xff9f) && code <= 0xffe6 ? 2 : 1;
    i += length;
  }
  return n;
}

void open_texts() { platform::open_catalog("quillon-cli", japanese_catalog()); }

std::string trn(const char* one, const char* many, std::size_t n) {
  std::string text = platform::translate(one, many, static_cast<unsigned long>(n));
  if (const std::size_t at = text.find("{n}"); at != std::string::npos) text.replace(at, 3, std::to_string(n));
  return text;
}

std::string fill(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool mark = text[i] == '{' && i + 2 < text.size() && text[i + 2] == '}' && text[i + 1] >= '1';
    const std::size_t k = mark ? static_cast<std::size_t>(text[i + 1] - '1') : values.size();
    if (k < values.size()) {
      out += values.begin()[k];
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string pad(std::string_view text, std::size_t width) {
  const std::size_t used = columns(text);
  return std::string(text) + std::string(used < width ? width - used : 0, ' ');
}

std::string pad_left(std::string_view text, std::size_t width) {
  const std::size_t used = columns(text);
  return std::string(used < width ? width - used : 0, ' ') + std::string(text);
}

}  // namespace quillon::cli

#pragma once
// What the data-driven runners share for the text of their cases.
#include <string>

namespace quillon::testing {

inline std::string replace_all(std::string text, const std::string& key, const std::string& value) {
  for (std::size_t at = 0; (at = text.find(key, at)) != std::string::npos; at += value.size())
    text.replace(at, key.size(), value);
  return text;
}

// "\s" a space, "\r", "\n", "\xNN" a byte; any other backslash stays as written
// (a pattern's "\." keeps its meaning).
inline std::string unescape(const std::string& in) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char next = i + 1 < in.size() ? in[i + 1] : '\0';
    if (in[i] != '\\' || (next != 's' && next != 'r' && next != 'n' && next != 'x')) {
      out += in[i];
    } else if (next == 'x' && i + 3 < in.size()) {
      out += static_cast<char>(std::stoi(in.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      out += next == 's' ? ' ' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
      ++i;
    }
  }
  return out;
}

}  // namespace quillon::testing

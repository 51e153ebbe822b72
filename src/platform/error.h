#pragma once
// The one error type of the program's own failures. Its text is code page 932,
// since it quotes paths and values from the log and the settings byte for byte.
#include <stdexcept>
#include <string>

namespace quillon {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& cp932_text) : std::runtime_error(cp932_text) {}
  // The text for a UTF-8 world (a terminal, a window title); bytes that are not
  // CP932 pass as they are.
  std::string utf8() const;
};

}  // namespace quillon

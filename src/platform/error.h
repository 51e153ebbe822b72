#pragma once
// The one error type of the program's own failures: what failed, the system's
// number where there is one (errno, GetLastError, SQLite's result code,
// WinINet's number), and a text in code page 932, since it quotes paths and
// values from the log and the settings byte for byte; utf8() is its one
// conversion, at the edge.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace quillon {

// The internet layer's failures are no exceptions: its calls return them (InetResult).
enum class Failed { File, Encoding, History, Settings, Log, Display };

class Error : public std::runtime_error {
 public:
  Error(Failed failed, const std::string& cp932_text, std::uint32_t number = 0)
      : std::runtime_error(cp932_text), failed_(failed), number_(number) {}
  Failed failed() const { return failed_; }
  std::uint32_t number() const { return number_; }
  // The text for a UTF-8 world (a terminal, a window title); bytes that are not
  // CP932 pass as they are.
  std::string utf8() const;

 private:
  Failed failed_;
  std::uint32_t number_;
};

// Inside a catch of Error: what is not a failure of `kind` goes on up.
inline void rethrow_unless(Failed kind, const Error& e) {
  if (e.failed() != kind) throw;
}

}  // namespace quillon

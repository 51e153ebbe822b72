#pragma once
// ip_status as both windows keep it: the bytes the stages set come back byte
// for byte, even those no code page can show; what the user typed over them
// comes back as CP932, or the set bytes when CP932 cannot hold it.
#include <string>
#include <string_view>

#include "platform/cp932.h"

namespace quillon {

class StatusLine {
 public:
  // What to show, as UTF-8.
  std::string set(std::string_view cp932_text) {
    bytes_.assign(cp932_text);
    shown_ = cp932::to_utf8_lossy(cp932_text);
    return shown_;
  }
  std::string read(const std::string& now_utf8) const {
    if (now_utf8 == shown_) return bytes_;
    try {
      return cp932::from_utf8(now_utf8, "status");
    } catch (const Error& e) {
      rethrow_unless(Failed::Encoding, e);
      return bytes_;
    }
  }

 private:
  std::string bytes_, shown_;
};

}  // namespace quillon

#pragma once
#include <string>
#include <vector>

#include "conversion/conversion.h"
#include "platform/clock.h"

namespace quillon::testing {

class FixedClock final : public platform::Clock {
 public:
  explicit FixedClock(platform::LocalDateTime t) : t_(t) {}
  platform::LocalDateTime now() override { return t_; }

 private:
  platform::LocalDateTime t_;
};

// One CSV record line of 35 items; `items` fills fields 1.. in order, the rest empty.
inline std::string csv_record(const std::vector<std::string>& items) {
  std::string line;
  for (int i = 0; i < 35; ++i) {
    if (i > 0) line += ',';
    if (i < static_cast<int>(items.size())) line += items[static_cast<std::size_t>(i)];
  }
  return line + "\r\n";
}

// The contact of the example document.
inline std::string example_record() {
  return ",\"Q2BBB\",\"3\",,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,"
         "\"RIG-1\",\"DP\",,,\"\",,,,\"TNX\",\r\n";
}

}  // namespace quillon::testing

#include <ctime>

#include "platform/clock.h"

namespace quillon::platform {

LocalDateTime SystemClock::now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string iso8601_now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return iso8601({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec},
                 static_cast<int>(tm.tm_gmtoff / 60));
}

}  // namespace quillon::platform

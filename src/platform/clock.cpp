#include "platform/clock.h"

#include <cstdio>
#include <ctime>

namespace quillon::platform {

LocalDateTime SystemClock::now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string format_date(const LocalDateTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year, t.month, t.day);
  return buf;
}

std::string format_time(const LocalDateTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.hour, t.minute, t.second);
  return buf;
}

}  // namespace quillon::platform

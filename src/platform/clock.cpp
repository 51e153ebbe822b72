#include "platform/clock.h"

#include <cstdio>

namespace quillon::platform {

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

#include <windows.h>

#include <ctime>

#include "platform/clock.h"

namespace quillon::platform {

LocalDateTime SystemClock::now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string iso8601_now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_s(&tm, &t);
  std::tm as_utc = tm;
  const auto offset = static_cast<int>((::_mkgmtime(&as_utc) - t) / 60);
  return iso8601({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec}, offset);
}

}  // namespace quillon::platform

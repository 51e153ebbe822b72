#include "platform/clock.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/test_switch.h"

namespace quillon::platform {

void Clock::pause() { sleep_ms(50); }

void sleep_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void sleep_seconds(int seconds) {
  if (!test_switch("no-wait")) std::this_thread::sleep_for(std::chrono::seconds(seconds));
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

std::string iso8601(const LocalDateTime& t, int offset_minutes) {
  char buf[40];
  const int off = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second, offset_minutes < 0 ? '-' : '+', off / 60 % 100, off % 60);
  return buf;
}

}  // namespace quillon::platform

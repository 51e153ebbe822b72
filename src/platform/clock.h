#pragma once

#include <string>

namespace quillon::platform {

struct LocalDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // One reading of the local clock.
  virtual LocalDateTime now() = 0;
  // Lets a moment pass, so that a later reading may differ.
  virtual void pause();
};

class SystemClock final : public Clock {
 public:
  LocalDateTime now() override;
};

// Waits; the test switch no-wait makes it return at once.
void sleep_seconds(int seconds);
// Waits, whatever the switches say.
void sleep_ms(int ms);

// The local time with its offset from UTC: "2026-12-08T12:34:56+09:00".
std::string iso8601_now();
std::string iso8601(const LocalDateTime& t, int offset_minutes);

// "yyyymmdd" and "hhmmss" with leading zeros, 24-hour clock.
std::string format_date(const LocalDateTime& t);
std::string format_time(const LocalDateTime& t);

}  // namespace quillon::platform

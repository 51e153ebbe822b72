#include <windows.h>

#include "platform/clock.h"

namespace quillon::platform {

LocalDateTime SystemClock::now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace quillon::platform

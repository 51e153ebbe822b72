#pragma once
// Ends a blocking WinINet call that outlives its bound by closing the handle
// it waits on, the one way WinINet offers to cancel such a call: its own
// timeouts do not hold everywhere (under Wine a silent server blocks for
// minutes).
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quillon::platform {

class InetWatchdog {
 public:
  InetWatchdog();
  ~InetWatchdog();
  InetWatchdog(const InetWatchdog&) = delete;
  InetWatchdog& operator=(const InetWatchdog&) = delete;

  // A new operation: forgets that an earlier one ran out.
  void reset();
  // Bounds the next call on handle; a null handle is learnt through watch().
  void arm(HINTERNET handle, long ms);
  void watch(HINTERNET handle);
  // Ends the bound. True when this operation ran out and its handle was closed.
  bool disarm();
  bool fired();

  // True on the watchdog's own thread, where WinINet reports the closing.
  static bool on_watchdog_thread();

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  HINTERNET handle_ = nullptr;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false;
  bool fired_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace quillon::platform

#include "platform/inet_watchdog_win.h"

namespace quillon::platform {
namespace {

thread_local bool watchdog_thread = false;

}  // namespace

InetWatchdog::InetWatchdog() : thread_([this] { run(); }) {}

InetWatchdog::~InetWatchdog() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void InetWatchdog::reset() {
  std::lock_guard lock(mutex_);
  armed_ = false;
  fired_ = false;
  handle_ = nullptr;
}

void InetWatchdog::arm(HINTERNET handle, long ms) {
  {
    std::lock_guard lock(mutex_);
    if (fired_) return;  // the handle is gone already; the call fails at once
    handle_ = handle;
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    armed_ = true;
  }
  wake_.notify_all();
}

void InetWatchdog::watch(HINTERNET handle) {
  std::unique_lock lock(mutex_);
  if (!armed_ || handle_ != nullptr) return;
  handle_ = handle;
  if (!fired_) return;
  lock.unlock();  // ran out before the handle was known
  ::InternetCloseHandle(handle);
}

bool InetWatchdog::disarm() {
  std::lock_guard lock(mutex_);
  armed_ = false;
  return fired_;
}

bool InetWatchdog::fired() {
  std::lock_guard lock(mutex_);
  return fired_;
}

bool InetWatchdog::on_watchdog_thread() { return watchdog_thread; }

void InetWatchdog::run() {
  watchdog_thread = true;
  std::unique_lock lock(mutex_);
  while (!stop_) {
    if (!armed_ || fired_) {
      wake_.wait(lock);
      continue;
    }
    if (std::chrono::steady_clock::now() < deadline_) {
      wake_.wait_until(lock, deadline_);
      continue;
    }
    fired_ = true;
    if (HINTERNET handle = handle_; handle != nullptr) {
      lock.unlock();  // closing reports to the status callback
      ::InternetCloseHandle(handle);
      lock.lock();
    }
  }
}

}  // namespace quillon::platform

#include "app/window_thread.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace quillon {

void ObserverAcross::call(const std::function<void()>& task) {
  std::mutex mutex;
  std::condition_variable done_cv;
  bool done = false;
  std::exception_ptr thrown;
  post_([&] {
    try {
      task();
    } catch (...) {
      thrown = std::current_exception();
    }
    const std::lock_guard<std::mutex> lock(mutex);
    done = true;
    done_cv.notify_one();
  });
  std::unique_lock<std::mutex> lock(mutex);
  done_cv.wait(lock, [&] { return done; });
  if (thrown) std::rethrow_exception(thrown);
}

void ObserverAcross::on(const RunEvent& event) {
  call([&] { window_.on(event); });
}

Send ObserverAcross::decide(const SentReport& report) {
  Send send = Send::Nothing;
  call([&] { send = window_.decide(report); });
  return send;
}

bool ObserverAcross::wait_for_other() {
  bool wait = false;
  call([&] { wait = window_.wait_for_other(); });
  return wait;
}

RunThread::RunThread(const PostToWindow& post, RunObserver& window, std::function<void(RunObserver&)> run,
                     std::function<void(const std::exception_ptr&)> ended)
    : across_(post, window), thread_([this, post, run = std::move(run), ended = std::move(ended)] {
        std::exception_ptr thrown;
        try {
          run(across_);
        } catch (...) {
          thrown = std::current_exception();
        }
        // Not waited for: the window's thread joins this one when it runs it.
        post([ended, thrown] { ended(thrown); });
      }) {}

RunThread::~RunThread() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace quillon

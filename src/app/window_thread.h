#pragma once
// How a window's upload runs on a thread of its own while the window goes on
// answering the system, and how its events come back. The run's thread hands
// each event, and the question, to the window's thread and waits until the
// window has shown it: the window meets them in the order sent, one at a time,
// as when the run held its thread, and a box stays up until it is answered.
#include <exception>
#include <functional>
#include <thread>

#include "app/upload_run.h"

namespace quillon {

// Puts a task on the window's thread, to run there soon, in the order put;
// called from the run's thread. The toolkit's own (a queued call, a posted
// message).
using PostToWindow = std::function<void(std::function<void()>)>;

// The window's observer, reached from the run's thread.
class ObserverAcross final : public RunObserver {
 public:
  ObserverAcross(PostToWindow post, RunObserver& window) : post_(std::move(post)), window_(window) {}
  void on(const RunEvent& event) override;
  Send decide(const SentReport& report) override;
  bool wait_for_other() override;

  // Runs `task` on the window's thread and returns once it has; what it
  // throws is thrown here.
  void call(const std::function<void()>& task);

 private:
  PostToWindow post_;
  RunObserver& window_;
};

// One run on a thread of its own: `run` gets the observer to tell; `ended`
// runs on the window's thread once the run's thread is done, with what the
// run threw, if anything.
class RunThread {
 public:
  RunThread(const PostToWindow& post, RunObserver& window, std::function<void(RunObserver&)> run,
            std::function<void(const std::exception_ptr&)> ended);
  ~RunThread();
  RunThread(const RunThread&) = delete;
  RunThread& operator=(const RunThread&) = delete;

 private:
  ObserverAcross across_;
  std::thread thread_;
};

}  // namespace quillon

#include "qt/qt_toolkit.h"

#include <QApplication>

#include "qt/Frmsetteiftp.h"
#include "qt/form_support.h"
#include "qt/frmstartftp.h"

namespace quillon {

void prepare_application() {
  QApplication::setApplicationName(QStringLiteral("quillon"));
  QApplication::setWindowIcon(quillon_icon());
  // The program ends itself when its one window goes; Qt's own rule would
  // also react to a message box closing while no window stands.
  QApplication::setQuitOnLastWindowClosed(false);
}

// Each window deletes itself when the program closes it.
MainView& QtToolkit::create_main_window(MainForm& form) { return *new frmstartftp(form); }

SettingsView& QtToolkit::create_settings_dialog(SettingsForm& form) { return *new Frmsetteiftp(form); }

void TaskPump::put(std::function<void()> task) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  QMetaObject::invokeMethod(this, "run_next", Qt::QueuedConnection);
}

void TaskPump::run_next() {
  std::function<void()> task;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (tasks_.empty()) return;
    task = std::move(tasks_.front());
    tasks_.pop_front();
  }
  task();
}

// Queued calls of a pump on the window's thread: run by its event loop, in order.
PostToWindow QtToolkit::post_to_window() {
  if (!pump_) pump_ = std::make_unique<TaskPump>();
  return [pump = pump_.get()](std::function<void()> task) { pump->put(std::move(task)); };
}

void QtToolkit::quit() {
  if (on_quit_) {
    on_quit_();
  } else {
    QCoreApplication::quit();
  }
}

}  // namespace quillon

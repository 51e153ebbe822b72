#pragma once
// The two windows made in Qt.
#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "app/program.h"

namespace quillon {

// Runs on the window's thread the tasks a run's thread puts, in the order put.
// The tasks wait under a lock of our own and Qt's queue carries only the
// wake-up, so what a task holds is handed over visibly to a race checker too.
class TaskPump final : public QObject {
  Q_OBJECT

 public:
  // From any thread.
  void put(std::function<void()> task);
  Q_INVOKABLE void run_next();

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

// The application object's settings the program relies on: its name (the
// message boxes' title), its icon, and no quitting of Qt's own.
void prepare_application();

class QtToolkit final : public Toolkit {
 public:
  // `on_quit` none: QCoreApplication::quit.
  explicit QtToolkit(std::function<void()> on_quit = {}) : on_quit_(std::move(on_quit)) {}
  MainView& create_main_window(MainForm& form) override;
  SettingsView& create_settings_dialog(SettingsForm& form) override;
  void quit() override;
  PostToWindow post_to_window() override;

 private:
  std::function<void()> on_quit_;
  std::unique_ptr<TaskPump> pump_;  // made on the window's thread, before any run
};

}  // namespace quillon

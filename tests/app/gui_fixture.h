#pragma once
// A real Qt application on the offscreen platform, a settings folder of its own
// per test, and a controller whose message boxes the test answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/frmstartftp.h"
#include "app/startup.h"
#include "platform/cp932.h"
#include "settings_dialog/Frmsetteiftp.h"
#include "support/fake_internet.h"
#include "support/temp_dir.h"

namespace quillon::testing {

inline QApplication& qt_app() {
  static int argc = 1;
  static char arg0[] = "quillon_gui_test";
  static char* argv[] = {arg0, nullptr};
  static QApplication* app = [] {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* a = new QApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillon"));
    QApplication::setQuitOnLastWindowClosed(false);
    return a;
  }();
  return *app;
}

// The 13 lines of a settings file, values given in UTF-8.
struct SettingsLines {
  std::string csv_path, xml_path, callsign, server_password, my_portable;
  int hangup_on_exit = 0;
  std::string address1, address2, address3, design_no, qsl_path;
  int log_search = 0;
  std::string qsl_name;

  std::string bytes() const {
    auto s = [](const std::string& v) { return cp932::from_utf8(v) + "\r\n"; };
    auto n = [](int v) {
      return (v < 0 ? std::string("-") : std::string(" ")) + std::to_string(v < 0 ? -v : v) +
             " \r\n";
    };
    return s(csv_path) + s(xml_path) + s(callsign) + s(server_password) + s(my_portable) +
           n(hangup_on_exit) + s(address1) + s(address2) + s(address3) + s(design_no) +
           s(qsl_path) + n(log_search) + s(qsl_name);
  }
};

class GuiTest : public ::testing::Test {
 protected:
  GuiTest() {
    qt_app();
    ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    folder_ = config_.path() / "quillon";
  }
  ~GuiTest() override {
    controller_.reset();
    flush_deletes();
  }

  // `inet` none: a scripted layer, reachable through fake().
  AppController& make(std::unique_ptr<platform::Internet> inet = nullptr,
                      const std::string& host = "127.0.0.1", std::uint16_t port = 2121) {
    if (!inet) {
      auto f = std::make_unique<FakeInternet>();
      fake_ = f.get();
      inet = std::move(f);
    }
    AppController::Options o;
    o.inet = std::move(inet);
    o.clock = std::make_unique<ScriptedClock>();
    o.ftp_host = host;
    o.ftp_port = port;
    o.message_hook = [this](QWidget* parent, const QString& text) {
      messages.push_back(text.toStdString());
      parents.push_back(parent);
      if (on_message) on_message(text.toStdString());
    };
    o.on_end = [this] { ++ends; };
    controller_ = std::make_unique<AppController>(std::move(o));
    return *controller_;
  }
  AppController& start(std::unique_ptr<platform::Internet> inet = nullptr) {
    AppController& c = make(std::move(inet));
    c.start();
    return c;
  }

  // Deletes the windows the controller retired, as the event loop would.
  static void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  std::string path(std::string_view name) const { return (folder_ / name).string(); }
  std::string settings_path() const { return path("qsodata.qsl"); }
  void write_settings_file(const SettingsLines& lines) {
    std::filesystem::create_directories(folder_);
    write_file(settings_path(), lines.bytes());
  }
  AppController& controller() { return *controller_; }
  frmstartftp* main_window() { return controller_->main_window(); }
  Frmsetteiftp* dialog() { return controller_->settings_dialog(); }
  FakeInternet& fake() { return *fake_; }
  // Opens the settings dialog from a freshly started program.
  Frmsetteiftp& open_dialog() {
    main_window()->Command1->click();
    flush_deletes();
    return *dialog();
  }

  std::vector<std::string> messages;  // UTF-8, in order
  std::vector<QWidget*> parents;
  std::function<void(const std::string&)> on_message;
  int ends = 0;
  TempDir config_;
  std::filesystem::path folder_;

 private:
  std::unique_ptr<AppController> controller_;
  FakeInternet* fake_ = nullptr;
};

}  // namespace quillon::testing

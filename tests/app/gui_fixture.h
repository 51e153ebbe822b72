#pragma once
// A real Qt application on the offscreen platform, a settings folder of its own
// per test, and message boxes the test answers.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/qt/frmstartftp.h"
#include "app/qt/qt_toolkit.h"
#include "app/settings.h"
#include "settings_dialog/Frmsetteiftp.h"
#include "support/scripted.h"
#include "support/system.h"
#include "support/temp_dir.h"
#include "widgets/qt/form_support.h"

namespace quillon::testing {

class GuiTest : public ::testing::Test {
 protected:
  GuiTest() {
    static int argc = 1;
    static char arg0[] = "quillon_gui_test", *argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // for the whole run
    (void)app;
    QApplication::setQuitOnLastWindowClosed(false);
    folder_ = use_settings_home(config_.path());
    set_message_box_hook([this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
  }
  ~GuiTest() override {
    program_.reset();
    flush_deletes();
    set_message_box_hook(nullptr);
  }

  // The program on `settings`, with a scripted internet layer unless one is given.
  Program& start(const Settings& settings, std::unique_ptr<platform::Internet> inet = nullptr,
                 std::uint16_t port = 2121) {
    std::filesystem::create_directories(folder_);
    write_settings((folder_ / "qsodata.qsl").string(), settings);
    Program::Options o;
    o.inet = inet ? std::move(inet) : std::make_unique<ScriptedInternet>(transcript);
    o.clock = std::make_unique<ScriptedClock>();
    o.ftp_host = "127.0.0.1";
    o.ftp_port = port;
    program_ = std::make_unique<Program>(toolkit_, std::move(o));
    EXPECT_TRUE(program_->start());
    return *program_;
  }
  Program& program() { return *program_; }
  frmstartftp* main_window() { return dynamic_cast<frmstartftp*>(program_->main_window()); }
  Frmsetteiftp* dialog() { return dynamic_cast<Frmsetteiftp*>(program_->settings_dialog()); }
  Frmsetteiftp& open_dialog() {
    main_window()->Command1->click();
    flush_deletes();
    return *dialog();
  }
  // Deletes the windows the program closed, as the event loop would.
  static void flush_deletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  std::vector<std::string> messages;  // UTF-8, in order
  Transcript transcript;              // what the scripted internet layer was asked
  int quits = 0;
  TempDir config_;
  std::filesystem::path folder_;

 private:
  QtToolkit toolkit_{[this] { ++quits; }};
  std::unique_ptr<Program> program_;
};

}  // namespace quillon::testing

#pragma once
// A program on fake windows and a scripted internet layer, with a settings
// folder of its own per test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/program.h"
#include "app/settings.h"
#include "platform/cp932.h"
#include "support/fake_internet.h"
#include "support/fake_windows.h"
#include "support/temp_dir.h"

namespace quillon::testing {

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    ::setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    folder_ = config_.path() / "quillon";
  }

  Program& make() {
    auto inet = std::make_unique<FakeInternet>();
    fake_ = inet.get();
    Program::Options o;
    o.inet = std::move(inet);
    o.clock = std::make_unique<ScriptedClock>();
    o.ftp_host = "ftp.test.example";
    o.ftp_port = 2121;
    program_ = std::make_unique<Program>(toolkit, std::move(o));
    return *program_;
  }
  Program& start() {
    Program& p = make();
    p.start();
    return p;
  }
  // A settings file holding `s` (CP932 values).
  void settings_file(const Settings& s) {
    std::filesystem::create_directories(folder_);
    write_settings(path("qsodata.qsl"), s);
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  FakeMainView& main() { return *toolkit.mains.back(); }
  FakeSettingsView& dialog() { return *toolkit.dialogs.back(); }
  Program& program() { return *program_; }
  FakeInternet& inet() { return *fake_; }

  TempDir config_;
  std::filesystem::path folder_;
  FakeToolkit toolkit;

 private:
  FakeInternet* fake_ = nullptr;
  std::unique_ptr<Program> program_;
};

}  // namespace quillon::testing

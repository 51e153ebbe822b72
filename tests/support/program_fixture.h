#pragma once
// The program on a real window toolkit: a settings folder of its own per test,
// a scripted internet layer and clock unless a test brings its own, and the
// message boxes collected rather than shown.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/settings.h"
#include "support/scripted.h"
#include "support/system.h"

namespace quillon::testing {

class ProgramFixture : public ::testing::Test {
 protected:
  ProgramFixture() : folder_(use_settings_home(config_.path())) {}

  virtual Toolkit& toolkit() = 0;

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
    program_ = std::make_unique<Program>(toolkit(), std::move(o));
    EXPECT_TRUE(program_->start());
    return *program_;
  }
  Program& program() { return *program_; }

  std::vector<std::string> messages;  // UTF-8, in order
  Transcript transcript;              // what the scripted internet layer was asked
  int quits = 0;
  TempDir config_;
  std::filesystem::path folder_;
  std::unique_ptr<Program> program_;
};

// A log record of the kind Tarnis writes, for `call`.
inline std::string log_record(const std::string& call) {
  return ",\"" + call +
         "\",\"3\",,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,,,,\"RIG-1\","
         "\"DP\",,,\"\",,,,\"TNX\",\r\n";
}

}  // namespace quillon::testing

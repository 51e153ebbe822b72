// The windows' logic, the upload run and the FTP stages, driven by the scripts
// under tests/data/scenarios: each sets up files, settings and the internet
// layer's answers, acts as the user would, and lists what must happen in order
// ("> " lines) and what must be left on disk. The format is in README there.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/program.h"
#include "app/settings.h"
#include "build_config.h"
#include "platform/instance_lock.h"
#include "support/case_file.h"
#include "support/scripted.h"
#include "support/system.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using namespace testing;

class Scenario : public CaseFile {
 private:
  std::vector<std::pair<std::string, std::string>> keys() const override {
    return {{"{host}", build::kFtpHost + (":" + std::to_string(build::kFtpPort))}};
  }
  // key=value words, values unescaped.
  static std::map<std::string, std::string> pairs(const std::string& rest) {
    std::map<std::string, std::string> out;
    std::istringstream words(rest);
    for (std::string w; words >> w;) {
      const std::size_t eq = w.find('=');
      out[w.substr(0, eq)] = eq == std::string::npos ? "" : unescape(w.substr(eq + 1));
    }
    return out;
  }
  static std::int16_t number(const std::string& s) { return static_cast<std::int16_t>(std::stoi(s)); }

  bool step(const std::string& verb, const std::string& rest) override {
    std::istringstream words(rest);
    std::string a, b;
    words >> a;
    std::getline(words >> std::ws, b);
    if (verb == "settings") write_settings_file(rest);
    else if (verb == "inet") script_inet(pairs(rest));
    else if (verb == "clock") script_clock(rest);
    else if (verb == "lock")
      held_ = platform::InstanceLock::acquire((fs::create_directories(config_), Program::lock_path()));
    else if (verb == "answer") toolkit_.mains.back()->answers.push_back(text(rest));
    else if (verb == "start") start(a == "default-host");
    else if (verb == "main") main_does(a);
    else if (verb == "dialog") dialog_does(a, b);
    else if (verb == "outcome") EXPECT_EQ(outcome_, a) << where();
    else if (verb == "state") check_state(pairs(rest));
    else return false;
    return true;
  }

  void write_settings_file(const std::string& rest) {
    Settings s;
    std::map<std::string, std::string*> strings = {
        {"csv_path", &s.csv_path},       {"xml_path", &s.xml_path},
        {"callsign", &s.callsign},       {"server_password", &s.server_password},
        {"my_portable", &s.my_portable}, {"address1", &s.address1},
        {"address2", &s.address2},       {"address3", &s.address3},
        {"design_no", &s.design_no},     {"qsl_path", &s.qsl_path},
        {"qsl_name", &s.qsl_name}};
    for (const auto& [key, value] : pairs(rest)) {
      if (key == "hangup_on_exit") s.hangup_on_exit = number(value);
      else if (key == "log_search") s.log_search = number(value);
      else if (strings.count(key)) *strings[key] = cp932::from_utf8(expand(value));
      else ADD_FAILURE() << where() << ": no setting " << key;
    }
    fs::create_directories(config_);
    write_settings((config_ / "qsodata.qsl").string(), s);
  }
  void script_inet(const std::map<std::string, std::string>& p) {
    for (const auto& [key, value] : p) {
      if (key == "open_error") inet_->open_error = std::stoul(value);
      else if (key == "connect_error") inet_->connect_error = std::stoul(value);
      else if (key == "put_error") inet_->put_error = std::stoul(value);
      else if (key == "put_once") inet_->put_errors.push_back(std::stoul(value));
      else if (key == "data_opened") inet_->put_data_opened = value == "1";
      else if (key == "close_error") inet_->close_errors.push_back(std::stoul(value));
      else if (key == "connect_notes") inet_->connect_notes = std::stoi(value);
      else if (key == "put_notes") inet_->put_notes = std::stoi(value);
      else if (key == "response") inet_->response = value;
      else ADD_FAILURE() << where() << ": no inet setting " << key;
    }
  }
  void script_clock(const std::string& rest) {
    clock_->readings.clear();
    std::istringstream words(rest);
    for (std::string t; words >> t;)
      clock_->readings.push_back({std::stoi(t.substr(0, 4)), std::stoi(t.substr(4, 2)), std::stoi(t.substr(6, 2)),
                                  std::stoi(t.substr(8, 2)), std::stoi(t.substr(10, 2)), std::stoi(t.substr(12, 2))});
  }
  void start(bool default_host) {
    Program::Options o;
    o.inet = std::move(inet_owned_);
    o.clock = std::move(clock_owned_);
    if (!default_host) o.ftp_host = "ftp.test.example", o.ftp_port = 2121;
    program_ = std::make_unique<Program>(toolkit_, std::move(o));
    program_->start();
  }
  void main_does(const std::string& what) {
    MainForm& form = *toolkit_.main_form;
    if (what == "cmdOK") {
      form.cmdOK_Click();
      outcome_ = form.last_end() ? outcome_name(*form.last_end()) : "(running)";
    } else if (what == "Command1") form.Command1_Click();
    else if (what == "Cmdcancel") form.cmdCancel_Click();
    else if (what == "close") form.closed_by_user();
    else ADD_FAILURE() << where() << ": the main window has no " << what;
  }
  void dialog_does(const std::string& what, const std::string& rest) {
    RecordingDialog& d = *toolkit_.dialogs.back();
    std::istringstream words(rest);
    std::string name, value;
    words >> name;
    std::getline(words >> std::ws, value);
    if (what == "type") d.type(named<SettingsBox>(kSettingsBoxNames, name), cp932::from_utf8(text(value)));
    else if (what == "unstorable") d.type(named<SettingsBox>(kSettingsBoxNames, name), RecordingDialog::kUnstorable);
    else if (what == "tick") d.tick(named<SettingsCheck>(kSettingsCheckNames, name), value == "1");
    else if (what == "answer") d.answers.push_back(text(name));
    else if (what == "path_sw1") d.form().path_sw1_Click();
    else if (what == "path_sw2") d.form().path_sw2_Click();
    else if (what == "Command1") d.form().Command1_Click();
    else if (what == "Command2") d.form().Command2_Click();
    else if (what == "close") d.form().closed_by_user();
    else ADD_FAILURE() << where() << ": the dialog has no " << what;
  }
  void check_state(const std::map<std::string, std::string>& p) {
    const AppState& s = program_->state();
    for (const auto& [key, value] : p) {
      std::string got;
      if (key == "failed_stage") got = s.ftp.failed_stage;
      else if (key == "inet_state") got = s.ftp.inet_state;
      else if (key == "log_count") got = std::to_string(s.log.log_count);
      else if (key == "connection") got = s.ftp.connected ? "open" : "none";
      else if (key == "bar") got = s.ftp.progress_bar ? std::to_string(s.ftp.progress_bar->Value()) : "none";
      else if (key == "buttons")
        got =
            toolkit_.mains.back()->enabled[0] && toolkit_.mains.back()->enabled[1] && toolkit_.mains.back()->enabled[2]
                ? "on"
                : "off";
      else if (key == "csv_path") got = shown(s.settings.csv_path);
      else if (key == "xml_path") got = shown(s.settings.xml_path);
      else if (key == "callsign") got = shown(s.settings.callsign);
      else if (key == "ended") got = program_->ended() ? "1" : "0";
      else ADD_FAILURE() << where() << ": no state " << key;
      EXPECT_EQ(got, expand(value)) << where() << ": " << key;
    }
  }
  static std::string outcome_name(RunEnd o) {
    static const char* names[] = {"Uploaded",     "NoSettings", "NoSession", "NoLog",
                                  "LogRefused",   "NotWritten", "Busy",      "Declined",
                                  "NotConnected", "NotStored",  "NotClosed", "StoredNotClosed"};
    return names[static_cast<int>(o)];
  }

  std::unique_ptr<ScriptedInternet> inet_owned_ = std::make_unique<ScriptedInternet>(transcript_);
  ScriptedInternet* inet_ = inet_owned_.get();
  std::unique_ptr<ScriptedClock> clock_owned_ = std::make_unique<ScriptedClock>();
  ScriptedClock* clock_ = clock_owned_.get();
  RecordingToolkit toolkit_{transcript_};
  std::unique_ptr<platform::InstanceLock> held_;
  std::unique_ptr<Program> program_;
  std::string outcome_;
};

TEST(Scenarios, EachScript) { CaseFile::run_all<Scenario>("scenarios", 10); }

}  // namespace
}  // namespace quillon

#include "app/main_form.h"

#include <cstdio>
#include <exception>
#include <string>

#include "app/program.h"
#include "app/recorded_run.h"
#include "app/settings.h"
#include "ftp/ftp.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/terminal.h"

namespace quillon {
namespace {

constexpr const char* kAlreadyRunning = "Quillonは既に起動しています!!";
constexpr const char* kSettingsFirst = "まず最初に設定を行って下さい";
constexpr const char* kCopyright = "Copyright (C) 2026 Quillon";

}  // namespace

void MainForm::Form_Load() {
  AppState& s = program_.state();
  MainView& view = *view_;

  // 1. Before anything is read or written. Said on stderr too, since the box
  // of a program that is about to end may never be seen.
  if (!program_.claim_single_instance()) {
    std::fprintf(stderr, "%s\n", kAlreadyRunning);
    std::fflush(stderr);
    view.message_box(cp932::text(kAlreadyRunning));
    program_.close_main_and_end();
    return;
  }
  // 2, 3.
  s.ftp.bar().Target(&view.picture1());
  view.set_picture_visible(false);
  // 4, 5.
  s.win_dir = platform::settings_folder();
  s.settings_path = s.win_dir + platform::kPathSeparator + "qsodata.qsl";
  s.work_xml_path = s.win_dir + platform::kPathSeparator + "qsoupdata.xml";
  // 6.
  if (platform::ordinary_file_exists(s.settings_path)) {
    try {
      s.settings = read_settings(s.settings_path);
    } catch (const Error& e) {
      view.message_box(cp932::text("設定ファイルを読み込めませんでした。\n") + e.what());
    }
  } else {
    view.message_box(cp932::text(kSettingsFirst));
    try {
      write_settings(s.settings_path, s.settings);
    } catch (const Error& e) {
      view.message_box(cp932::text("設定ファイルを保存できませんでした。\n") + e.what());
    }
    if (!platform::create_empty_file(s.work_xml_path))
      view.message_box(cp932::text("作業ファイルを作成できませんでした。\n") + s.work_xml_path);
  }
  // 7.
  view.set_status(kCopyright);
  // 8.
  if (s.ftp.inet_state != "ok") {
    FtpEnv env = ftp_env(s, view, program_.services());
    ftpinit(env);
    if (!s.ftp.failed_stage.empty()) errchk(env);
  }
}

RunOutcome MainForm::cmdOK_Click() {
  MainView& view = *view_;
  try {
    AppState& s = program_.state();
    const RecordedRun run =
        run_and_record(s, view, program_.services(), s.win_dir + platform::kPathSeparator + kHistoryFile);
    // The window's texts are fixed; a history that cannot be written is said where it can be.
    if (!run.history_error.empty())
      platform::write_text(platform::Stream::Err, "quillon: history not written: " + run.history_error + "\n");
    return run.outcome;
  } catch (const std::exception& e) {
    // Nothing may unwind into the toolkit's event loop; leave the window usable.
    view.set_cursor(Cursor::Default);
    view.message_box(e.what());
    view.set_enabled(Button::cmdOK, true);
    view.set_enabled(Button::Cmdcancel, true);
    view.set_enabled(Button::Command1, true);
    return RunOutcome::NotStored;
  }
}

void MainForm::Command1_Click() { program_.open_settings(); }

void MainForm::cmdCancel_Click() {
  AppState& s = program_.state();
  s.ftp.progress_bar.reset();
  if (s.settings.hangup_on_exit == 1) program_.inet().autodial_hangup(0);
  program_.close_main_and_end();
}

void MainForm::closed_by_user() { program_.main_window_closed_by_user(); }

}  // namespace quillon

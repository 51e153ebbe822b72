#include "app/main_form.h"

#include <cstdio>
#include <exception>
#include <string>

#include "app/program.h"
#include "app/settings.h"
#include "ftp/ftp.h"
#include "ftp/ftp_texts.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/terminal.h"

namespace quillon {
namespace {

constexpr const char* kAlreadyRunning = "Quillonは既に起動しています!!";
constexpr const char* kSettingsFirst = "まず最初に設定を行って下さい";
constexpr const char* kCopyright = "Copyright (C) 2026 Quillon";

std::string n(std::size_t count) { return std::to_string(count); }

Question in_cp932(Question q) {
  q.text = cp932::text(q.text);
  for (std::string& b : q.buttons) b = cp932::text(b);
  return q;
}

// "2026-12-01T21:30:45+09:00" as "2026/12/01 21:30".
std::string when(const std::string& iso) {
  if (iso.size() < 16) return iso;
  return iso.substr(0, 4) + "/" + iso.substr(5, 2) + "/" + iso.substr(8, 2) + " " + iso.substr(11, 5);
}

// The earlier runs, newest first, at most three of them.
std::string run_lines(const SentReport& r) {
  std::string lines;
  for (std::size_t i = 0; i < r.runs.size() && i < 3; ++i)
    lines += "  " + when(r.runs[i].entry.started) + "　" + n(r.runs[i].contacts) + "件\n";
  if (r.runs.size() > 3) lines += "  ほか" + n(r.runs.size() - 3) + "回\n";
  return lines;
}

}  // namespace

Send WindowRun::decide(const SentReport& r) {
  Question q;
  enum { kFresh, kAll, kStop };
  std::vector<int> meaning;
  if (r.fresh() > 0) {
    q.text = "この記録の" + n(r.contacts) + "件のうち" + n(r.sent) + "件は送信済みです。\n" + run_lines(r) +
             "未送信の" + n(r.fresh()) + "件だけを送信しますか?";
    q.buttons = {"未送信のみ送信", "すべて送信", "中止"};
    meaning = {kFresh, kAll, kStop};
    q.escape = 2;
  } else {
    q.text = "この記録の" + n(r.contacts) + "件はすべて送信済みです。\n" + run_lines(r) +
             "もう一度送信すると、QSLカードが重複して印刷されることがあります。";
    q.buttons = {"中止", "すべて送信"};
    meaning = {kStop, kAll};
  }
  int answer = meaning.at(static_cast<std::size_t>(view_.ask(in_cp932(q))));
  if (answer == kAll) {
    const Question sure{
        "送信済みの" + n(r.sent) + "件も、もう一度送信します。よろしいですか?", {"はい", "いいえ"}, 1, 1};
    if (view_.ask(in_cp932(sure)) != 0) answer = kStop;
  }
  if (answer == kStop) view_.set_status(cp932::text("   アップロードを中止しました"));
  return answer == kFresh ? Send::OnlyNew : answer == kAll ? Send::All : Send::Nothing;
}

bool WindowRun::wait_for_other() {
  view_.message_box(cp932::text("別のアップロードが実行中です。終わってからもう一度押して下さい。"));
  return false;
}

void set_buttons(MainView& view, bool enabled) {
  view.set_enabled(Button::cmdOK, enabled);
  view.set_enabled(Button::Cmdcancel, enabled);
  view.set_enabled(Button::Command1, enabled);
}

void WindowRun::on(const RunEvent& e) {
  switch (e.kind) {
    case RunEvent::Kind::Ftp: on_ftp(e.ftp); break;
    case RunEvent::Kind::Status: view_.set_status(e.text); break;
    case RunEvent::Kind::Repaint: view_.repaint(); break;
    case RunEvent::Kind::Busy: set_buttons(view_, false); break;
    case RunEvent::Kind::Idle: set_buttons(view_, true); break;
    case RunEvent::Kind::Message: view_.message_box(e.text); break;
    case RunEvent::Kind::HistoryNotRead:
      view_.message_box(cp932::text("送信履歴を読めませんでした。送信済みかどうかは確かめていません。\n") +
                        cp932::from_utf8_or_as_is(e.text));
      break;
    case RunEvent::Kind::HistorySetAside:
      view_.message_box(
          cp932::text("送信履歴が壊れていたため、新しく作り直しました。古い履歴は次の名前で残してあります: ") +
          cp932::from_utf8_or_as_is(e.text));
      break;
    // The window's texts are fixed; a history that cannot be written is said where it can be.
    case RunEvent::Kind::HistoryNotWritten:
      platform::write_text(platform::Stream::Err, "quillon: history not written: " + e.text + "\n");
      break;
    // The status line alone tells of a retry and of the mode.
    case RunEvent::Kind::Retrying:
    case RunEvent::Kind::PassiveRemembered:
    case RunEvent::Kind::FallingBack: break;
  }
}

void WindowRun::on_ftp(const FtpEvent& e) {
  switch (e.kind) {
    case FtpEvent::Kind::Wait: view_.set_cursor(Cursor::Wait); break;
    case FtpEvent::Kind::WaitOver: view_.set_cursor(Cursor::Default); break;
    case FtpEvent::Kind::Connected: view_.repaint(); break;
    case FtpEvent::Kind::Uploading:
      view_.set_picture_visible(true);
      view_.set_status(ftp_text::uploading());
      view_.repaint();
      break;
    case FtpEvent::Kind::RemoteName: break;
    case FtpEvent::Kind::Progress:
      // Inside the layer's transfer loop: a drawing failure must not unwind
      // through it, and the bar is only a display.
      try {
        ftp_.bar().Value(e.value);
      } catch (const std::exception&) {
      }
      break;
    case FtpEvent::Kind::NotConnected: view_.set_status(ftp_text::not_connected(e.error)); break;
    case FtpEvent::Kind::NotStored: view_.message_box(ftp_text::transfer_failed(view_.status(), e.error)); break;
    case FtpEvent::Kind::NotClosed:
      if (e.error == platform::inet_error::kExtendedError) {
        view_.set_status(view_.status() + ftp_text::extended_error());
        break;
      }
      view_.beep();
      view_.set_status(view_.status() + e.text);
      view_.message_box(ftp_text::close_failed(e.error));
      break;
    case FtpEvent::Kind::Stored:
      set_buttons(view_, true);
      view_.set_picture_visible(false);
      ftp_.bar().Value(0);
      view_.set_status(ftp_text::upload_done());
      view_.set_label1_caption(ftp_text::label1_design());
      break;
    case FtpEvent::Kind::SessionFailed:
      view_.beep();
      view_.message_box(ftp_text::session_failed(e.error));
      break;
    case FtpEvent::Kind::Report: errchk(e.text); break;
  }
}

// The failure report: the stage's message, the window set back as far as the
// stage requires.
void WindowRun::errchk(const std::string& stage) {
  ftp_.failed_stage = stage;
  if (const std::string message = ftp_text::report(stage); !message.empty()) view_.message_box(message);
  if (stage == kStageData) {
    set_buttons(view_, true);
    view_.set_picture_visible(false);
    ftp_.bar().Value(0);
  }
  ftp_.failed_stage.clear();
  view_.set_cursor(Cursor::Default);
}

void MainForm::Form_Load() {
  AppState& s = program_.state();
  MainView& view = *view_;

  // One instance a settings folder, before anything is read or written. Said on
  // stderr too, since the box of a program that is about to end may never be seen.
  if (!program_.claim_single_instance()) {
    std::fprintf(stderr, "%s\n", kAlreadyRunning);
    std::fflush(stderr);
    view.message_box(cp932::text(kAlreadyRunning));
    program_.close_main_and_end();
    return;
  }
  // The bar draws on Picture1, hidden until a transfer runs.
  s.ftp.bar().Target(&view.picture1());
  view.set_picture_visible(false);
  // The settings folder and the two files in it.
  s.win_dir = platform::settings_folder();
  s.settings_path = s.win_dir + platform::kPathSeparator + "qsodata.qsl";
  s.work_xml_path = s.win_dir + platform::kPathSeparator + "qsoupdata.xml";
  // The settings; on a first start, empty ones and an empty document, after the note.
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
  // The program's notice in the status line.
  view.set_status(kCopyright);
  // The internet session, once for the process: a window made again keeps it.
  if (s.ftp.inet_state != "ok") {
    WindowRun window(view, s.ftp);
    open_session(s, program_.services(), [&window](const FtpEvent& e) { window.on_ftp(e); });
  }
}

void MainForm::cmdOK_Click() {
  if (running()) return;
  MainView& view = *view_;
  last_end_.reset();
  AppState& s = program_.state();
  window_ = std::make_unique<WindowRun>(view, s.ftp);
  RunRequest request{s.win_dir};
  request.xml_declaration = view.label3_caption();
  const PostToWindow post = program_.toolkit().post_to_window();
  if (!post) {
    try {
      run_ended(UploadRun(s, *window_, program_.services(), std::move(request))());
    } catch (const std::exception& e) {
      run_failed(e);
    }
    return;
  }
  // Whatever the window holds of the run comes to it in the events; until the
  // run has ended, the window's thread touches nothing of it.
  view.hold_input(true);
  auto result = std::make_shared<RunResult>();
  run_ = std::make_unique<RunThread>(
      post, *window_,
      [this, &s, result, request = std::move(request)](RunObserver& across) mutable {
        *result = UploadRun(s, across, program_.services(), std::move(request))();
      },
      [this, result](const std::exception_ptr& thrown) {
        run_.reset();  // joins the run's thread, which has just told this
        view_->hold_input(false);
        try {
          if (thrown) std::rethrow_exception(thrown);
          run_ended(*result);
        } catch (const std::exception& e) {
          run_failed(e);
        }
      });
}

void MainForm::run_ended(const RunResult& result) {
  window_.reset();
  last_end_ = result.end;
}

// Nothing may unwind into the toolkit's event loop; leave the window usable.
void MainForm::run_failed(const std::exception& e) {
  window_.reset();
  last_end_ = RunEnd::NotStored;
  MainView& view = *view_;
  view.set_cursor(Cursor::Default);
  view.message_box(e.what());
  set_buttons(view, true);
}

void MainForm::Command1_Click() { program_.open_settings(); }

void MainForm::cmdCancel_Click() {
  AppState& s = program_.state();
  s.ftp.progress_bar.reset();
  if (s.settings.hangup_on_exit == 1) program_.inet().autodial_hangup();
  program_.close_main_and_end();
}

void MainForm::closed_by_user() {
  if (!running()) program_.main_window_closed_by_user();
}

}  // namespace quillon

#include "app/upload_run.h"

#include <string>

#include "conversion/conversion.h"
#include "ftp/ftp_texts.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace quillon {
namespace {

void set_buttons(FtpView& view, bool enabled) {
  view.set_enabled(Button::cmdOK, enabled);
  view.set_enabled(Button::Cmdcancel, enabled);
  view.set_enabled(Button::Command1, enabled);
}

RunOutcome refused(RunView& view, const Error& e, RunOutcome outcome) {
  view.message_box(e.what());
  set_buttons(view, true);
  return outcome;
}

}  // namespace

HeadValues head_values(const Settings& s) {
  return {s.callsign, s.my_portable, s.qsl_name, s.address1, s.address2, s.address3, s.log_search};
}

FtpEnv ftp_env(AppState& state, FtpView& view, const RunServices& services) {
  const Settings& s = state.settings;
  return FtpEnv{state.ftp, view, services.inet, services.clock,
                UploadJob{services.ftp_host, services.ftp_port, s.callsign, s.server_password, s.xml_path,
                          state.format_tag, state.remote_ext, services.passive}};
}

RunOutcome cmdOK_Click(AppState& state, RunView& view, const RunServices& services, const RunHooks& hooks) {
  view.set_status(ftp_text::connecting());
  view.repaint();
  set_buttons(view, false);
  state.log.log_count = 0;

  const std::string& csv_path = state.settings.csv_path;
  if (!platform::ordinary_file_exists(platform::native_path(csv_path))) {
    view.message_box(ftp_text::file_not_found() + csv_path);
    set_buttons(view, true);
    return RunOutcome::NoLog;
  }

  // A log the reader refuses or a document that cannot be written ends the run
  // before anything is sent; koushin leaves the previous document in place.
  try {
    read_log(csv_path, state.log);
  } catch (const Error& e) {
    return refused(view, e, RunOutcome::LogRefused);
  }
  try {
    if (hooks.choose) hooks.choose(state.log);
    koushin(state.log, head_values(state.settings), state.settings.xml_path, services.clock, view.label3_caption());
  } catch (const Error& e) {
    return refused(view, e, RunOutcome::NotWritten);
  }

  if (hooks.written) hooks.written();
  FtpEnv env = ftp_env(state, view, services);
  env.storing = hooks.storing;
  const FtpOutcome sent = ftpdata(env);
  if (!state.ftp.failed_stage.empty()) errchk(env);
  switch (sent) {
    case FtpOutcome::Stored: return RunOutcome::Uploaded;
    case FtpOutcome::NotConnected: return RunOutcome::NotConnected;
    case FtpOutcome::NotStored: return RunOutcome::NotStored;
    case FtpOutcome::StoredNotClosed: return RunOutcome::StoredNotClosed;
    case FtpOutcome::NotClosed: break;
  }
  return RunOutcome::NotClosed;
}

}  // namespace quillon

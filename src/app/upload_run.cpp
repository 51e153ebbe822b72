#include "app/upload_run.h"

#include <exception>
#include <string>

#include "app/settings.h"
#include "conversion/conversion.h"
#include "ftp/ftp_texts.h"
#include "platform/cp932.h"
#include "platform/paths.h"

namespace quillon {
namespace {

void set_buttons(MainView& view, bool enabled) {
  view.set_enabled(Button::cmdOK, enabled);
  view.set_enabled(Button::Cmdcancel, enabled);
  view.set_enabled(Button::Command1, enabled);
}

// Our own errors carry CP932 bytes (they quote paths and log values); anything
// else speaks UTF-8 or plain ASCII.
std::string message_of(const std::exception& e) {
  if (dynamic_cast<const RunError*>(&e) != nullptr ||
      dynamic_cast<const SettingsError*>(&e) != nullptr)
    return e.what();
  try {
    return cp932::from_utf8(e.what(), "error message");
  } catch (const std::exception&) {
    return e.what();
  }
}

}  // namespace

void cmdOK_Click(FtpEnv& env) {
  AppState& state = env.state;
  MainView& view = env.view;

  view.set_status(ftp_text::connecting());
  view.repaint();
  set_buttons(view, false);
  state.log_count = 0;

  const std::string& csv_path = state.settings.csv_path;
  if (!platform::ordinary_file_exists(platform::native_path(csv_path))) {
    view.message_box(ftp_text::file_not_found() + csv_path);
    set_buttons(view, true);
    return;
  }

  // A log the reader refuses or a document that cannot be written ends the run
  // before anything is sent; koushin leaves the previous document in place.
  try {
    read_log(state);
    koushin(state, env.clock, view.label3_caption());
  } catch (const std::exception& e) {
    view.message_box(message_of(e));
    set_buttons(view, true);
    return;
  }

  ftpdata(env);
  if (!state.failed_stage.empty()) errchk(env);
}

}  // namespace quillon

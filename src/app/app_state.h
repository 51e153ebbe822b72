#pragma once
// The values the procedures share for the life of the process. One object,
// so that tests can build fresh state.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "conversion/log_record.h"
#include "platform/inet.h"
#include "widgets/progress_bar.h"

namespace quillon {

inline constexpr const char* kFormatTag = ".Varnel_System_format.";
inline constexpr const char* kRemoteExt = ".qso";

struct AppState {
  Settings settings;

  std::string win_dir;        // the settings folder
  std::string settings_path;  // win_dir + separator + "qsodata.qsl"
  std::string work_xml_path;  // win_dir + separator + "qsoupdata.xml"

  std::string format_tag;  // set by start-up
  std::string remote_ext;

  std::string inet_state;    // "ok" once the session is open
  std::string failed_stage;  // "ftpinit", "ftpdata", "ftpout" or empty

  // Slots 1 to 2000; slot 0 is unused.
  std::vector<LogRecord> log_records = std::vector<LogRecord>(kMaxLogRecords + 1);
  std::int16_t log_count = 0;

  std::int32_t upload_size = 0;
  std::int16_t sent_count = 0;
  std::int32_t sent_bytes = 0;

  // Held for the main window; they outlive its destruction around the settings dialog.
  platform::InetHandle session_handle = 0;
  platform::InetHandle connection_handle = 0;

  std::unique_ptr<clsProgressBar> progress_bar;
  // Created on first use.
  clsProgressBar& bar() {
    if (!progress_bar) progress_bar = std::make_unique<clsProgressBar>();
    return *progress_bar;
  }
};

}  // namespace quillon

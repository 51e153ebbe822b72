#pragma once
// The values the procedures share for the life of the process. One object,
// so that tests can build fresh state.
#include <string>

#include "app/settings.h"
#include "conversion/log_record.h"
#include "ftp/ftp.h"

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

  FtpState ftp;    // inet_state, failed_stage, the handles, the counters, progress_bar
  ContactLog log;  // log_records, log_count
};

}  // namespace quillon

#pragma once
#include "ftp/ftp.h"

namespace quillon {

// The run behind "アップロード開始": file check, reader, document, upload, report.
void cmdOK_Click(FtpEnv& env);

}  // namespace quillon

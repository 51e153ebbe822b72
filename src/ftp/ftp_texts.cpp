#include "ftp/ftp_texts.h"

#include "ftp/ftp.h"
#include "platform/cp932.h"

namespace quillon::ftp_text {
namespace {
std::string cp(const char* utf8) { return cp932::from_utf8(utf8, "fixed text"); }
}  // namespace

#define QUILLON_FIXED_TEXT(name, utf8)        \
  const std::string& name() {                 \
    static const std::string text = cp(utf8); \
    return text;                              \
  }

QUILLON_FIXED_TEXT(connecting, "   Varnelに接続処理中です >>")
QUILLON_FIXED_TEXT(file_not_found, "File not Found ")
QUILLON_FIXED_TEXT(to_passive, " >> パッシブモードで再接続しています...")
QUILLON_FIXED_TEXT(to_active, " >> アクティブモードで再接続しています...")
QUILLON_FIXED_TEXT(open_failed, "INet-Handleのopen失敗")
QUILLON_FIXED_TEXT(get_last_error, " GetLastError() =")
QUILLON_FIXED_TEXT(extended_error, "ERROR_INTERNET_EXTENDED_ERROR:\r\n")
QUILLON_FIXED_TEXT(disconnect_failed, "Fail to Disconnect FTP.")
QUILLON_FIXED_TEXT(aborted, "異常終了。再処理して下さい...")
QUILLON_FIXED_TEXT(uploading, " >> アップロード中です お待ち下さい...")
QUILLON_FIXED_TEXT(upload_done, " --アップロード正常終了しました!--")
QUILLON_FIXED_TEXT(label1_design, "CSV > XML >>>> Varnel")
QUILLON_FIXED_TEXT(error_prefix, "ERROR: ")
QUILLON_FIXED_TEXT(init_report, "初期化に失敗しました。再処理して下さい。")
QUILLON_FIXED_TEXT(transfer_report, "転送に失敗しました。再処理して下さい。")
QUILLON_FIXED_TEXT(close_report, "切断に失敗しました。")

#undef QUILLON_FIXED_TEXT

const std::string& not_connected(std::uint32_t error) {
  return error == platform::inet_error::kExtendedError ? extended_error() : aborted();
}

std::string session_failed(std::uint32_t error) { return open_failed() + get_last_error() + std::to_string(error); }

std::string close_failed(std::uint32_t error) { return disconnect_failed() + get_last_error() + std::to_string(error); }

std::string transfer_failed(const std::string& status, std::uint32_t error) {
  return status + error_prefix() + std::to_string(error) + "\r\n\r\n";
}

std::string report(std::string_view stage) {
  if (stage == kStageInit) return init_report();
  if (stage == kStageData) return transfer_report();
  if (stage == kStageOut) return close_report();
  return {};
}

}  // namespace quillon::ftp_text

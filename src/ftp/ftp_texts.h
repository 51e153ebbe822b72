#pragma once
// Fixed texts of the FTP stages and the upload run, as CP932 bytes (converted
// once from the UTF-8 literals in ftp_texts.cpp).
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::ftp_text {

// The upload run.
const std::string& connecting();      // "   Varnelに接続処理中です >>"
const std::string& file_not_found();  // "File not Found "
const std::string& to_passive();      // " >> パッシブモードで再接続しています..."
const std::string& to_active();       // " >> アクティブモードで再接続しています..."

// ftpinit, ftpout, ftpdata.
const std::string& open_failed();        // "INet-Handleのopen失敗"
const std::string& get_last_error();     // " GetLastError() ="
const std::string& extended_error();     // "ERROR_INTERNET_EXTENDED_ERROR:" CR LF
const std::string& disconnect_failed();  // "Fail to Disconnect FTP."
const std::string& aborted();            // "異常終了。再処理して下さい..."
const std::string& uploading();          // " >> アップロード中です お待ち下さい..."
const std::string& upload_done();        // " --アップロード正常終了しました!--"
const std::string& label1_design();      // "CSV > XML >>>> Varnel"
const std::string& error_prefix();       // "ERROR: "

// errchk.
const std::string& init_report();      // "初期化に失敗しました。再処理して下さい。"
const std::string& transfer_report();  // "転送に失敗しました。再処理して下さい。"
const std::string& close_report();     // "切断に失敗しました。"

// The messages the failures make, the same in the window and on the command line.
// The status line after a failed connect: extended_error for 12003, else aborted.
const std::string& not_connected(std::uint32_t error);
std::string session_failed(std::uint32_t error);  // open_failed, get_last_error, the number
std::string close_failed(std::uint32_t error);    // disconnect_failed, get_last_error, the number
// The status line, then "ERROR: ", the number and two line breaks.
std::string transfer_failed(const std::string& status, std::uint32_t error);
// errchk's message for the stage; empty for a name it does not know.
std::string report(std::string_view stage);

}  // namespace quillon::ftp_text

#include "conversion/messages.h"

#include "platform/cp932.h"

namespace quillon::conversion_text {
namespace {

std::string sjis(std::string_view utf8) { return cp932::from_utf8(utf8); }
std::string record_no(int record, int line) {
  return sjis("レコード ") + std::to_string(record) + sjis("、行 ") + std::to_string(line);
}

}  // namespace

std::string cannot_open_log(std::string_view path) { return sjis("ログファイルを開けません: ") + std::string(path); }

std::string too_many_records(std::string_view path, int record, int line) {
  return sjis("ログのレコードが2000件を超えています: ") + std::string(path) + " (" + record_no(record, line) + ")";
}

std::string ends_inside_record(std::string_view path, int record, int line) {
  return sjis("ログファイルがレコードの途中で終わっています: ") + std::string(path) + " (" + record_no(record, line) +
         sjis("、35項目に足りません)");
}

std::string not_a_whole_number(std::string_view path, int record, int line, int field, std::string_view value) {
  return sjis("ログの値を整数に変換できません: ") + std::string(path) + " (" + record_no(record, line) +
         sjis("、項目 ") + std::to_string(field) + sjis("、値 \"") + std::string(value) + "\")";
}

std::string cannot_create_document(std::string_view path) {
  return sjis("出力ファイルを作成できません: ") + std::string(path);
}

std::string cannot_write_document(std::string_view path) {
  return sjis("出力ファイルに書き込めません: ") + std::string(path);
}

}  // namespace quillon::conversion_text

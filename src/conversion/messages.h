#pragma once
// Failure texts of the conversion. CP932, since they quote paths and values.
#include <string>
#include <string_view>

namespace quillon::conversion_text {

std::string cannot_open_log(std::string_view path);
std::string too_many_records(std::string_view path, int record, int line);
std::string ends_inside_record(std::string_view path, int record, int line);
std::string not_a_whole_number(std::string_view path, int record, int line, int field, std::string_view value);
std::string cannot_create_document(std::string_view path);
std::string cannot_write_document(std::string_view path);

}  // namespace quillon::conversion_text

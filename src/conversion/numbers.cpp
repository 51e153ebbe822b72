#include "conversion/numbers.h"

namespace quillon {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool append_plain_decimal(std::string_view item, std::string& out) {
  bool negative = false;
  if (!item.empty() && (item.front() == '+' || item.front() == '-')) {
    negative = item.front() == '-';
    item.remove_prefix(1);
  }
  const std::size_t dot = item.find('.');
  std::string_view whole = item.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : item.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return false;
  for (std::string_view part : {whole, fraction})
    for (char c : part)
      if (!is_digit(c)) return false;

  while (whole.size() > 1 && whole.front() == '0') whole.remove_prefix(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
  if (whole.empty()) whole = "0";
  if (negative && !(whole == "0" && fraction.empty())) out += '-';  // no "-0"
  out += whole;
  if (!fraction.empty()) out.append(".").append(fraction);
  return true;
}

namespace {

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

bool reads_as_number(const LogValue& value) {
  if (value.kind != LogValue::Kind::Text) return true;
  std::string plain;
  return append_plain_decimal(trim_blanks(value.text), plain);
}

std::optional<std::int16_t> whole_number(const LogValue& value) {
  if (value.kind == LogValue::Kind::Empty) return 0;
  std::string_view digits = value.text;  // a number is already in plain form
  std::string plain;
  if (value.kind == LogValue::Kind::Text) {
    if (!append_plain_decimal(trim_blanks(digits), plain)) return std::nullopt;
    digits = plain;
  }
  const bool negative = !digits.empty() && digits.front() == '-';
  if (negative) digits.remove_prefix(1);
  const std::size_t dot = digits.find('.');
  const std::string_view whole = digits.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : digits.substr(dot + 1);
  if (whole.size() > 6) return std::nullopt;  // far beyond 16 bits either way

  long magnitude = 0;
  for (char c : whole) magnitude = magnitude * 10 + (c - '0');
  if (!fraction.empty()) {
    // append_plain_decimal leaves no trailing zeros, so "5" alone is an exact half.
    const bool above_half = fraction[0] > '5' || (fraction[0] == '5' && fraction.size() > 1);
    const bool half = fraction == "5";
    if (above_half || (half && magnitude % 2 == 1)) ++magnitude;
  }
  const long result = negative ? -magnitude : magnitude;
  if (result < INT16_MIN || result > INT16_MAX) return std::nullopt;
  return static_cast<std::int16_t>(result);
}

}  // namespace quillon

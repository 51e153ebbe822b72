#pragma once
// Decimal numbers as the log holds them, kept as digits so that nothing is lost
// to binary floating point.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "conversion/log_record.h"

namespace quillon {

// The plain decimal form of an item that reads as a number (optional sign, digits
// with an optional fraction): "0930" -> "930", "7.000" -> "7", "-0" -> "0", ".5" -> "0.5".
// Appended to `out`; false, with nothing appended, for an item that is no number.
// The form is at most one byte longer than the item.
bool append_plain_decimal(std::string_view item, std::string& out);

// Half to even, -32768 to 32767; the empty value is 0, a text converts when it
// reads as a number (blanks around it allowed). Empty when it cannot be converted.
std::optional<std::int16_t> whole_number(const LogValue& value);
// Reads as a number at all (blanks around it allowed), whatever its size.
bool reads_as_number(const LogValue& value);

}  // namespace quillon

#pragma once
// The command line's own texts in the user's language: English here, Japanese
// in po/ja.po. "{1}", "{2}" ... stand for values, so that a translation may
// put them in its own order.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/messages.h"

namespace quillon::cli {

// The catalog, once, before the first text.
void open_texts();

// ENGLISH (a literal, or a table's text, which ends in a NUL) in the user's language.
inline std::string tr(const char* english) { return platform::translate(english); }
inline std::string tr(std::string_view english) { return platform::translate(english.data()); }
// ONE or MANY in the user's language for N, with {n} the number: "3 contacts".
std::string trn(const char* one, const char* many, std::size_t n);
// TEXT with {1} the first value, {2} the second ...
std::string fill(std::string_view text, std::initializer_list<std::string_view> values);

// Columns of UTF-8 TEXT on a terminal: two for the wide scripts (CJK, kana,
// full-width forms), one for anything else, half-width katakana included.
std::size_t columns(std::string_view text);
// TEXT followed by spaces to WIDTH columns.
std::string pad(std::string_view text, std::size_t width);
// The same, the spaces before it.
std::string pad_left(std::string_view text, std::size_t width);

}  // namespace quillon::cli

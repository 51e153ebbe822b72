// Code page 932 at the edges: the table in tests/data/cp932.tsv, then what is
// refused and how each edge shows bytes that are not CP932.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "platform/cp932.h"
#include "support/system.h"

namespace quillon {
namespace {

TEST(Cp932, TheTable) {
  std::ifstream in(std::string(QUILLON_TEST_DATA_DIR) + "/cp932.tsv");
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream cells(line);
    std::string text, hex, direction;
    std::getline(cells, text, '\t'), std::getline(cells, hex, '\t'), std::getline(cells, direction);
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
      bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    EXPECT_EQ(cp932::from_utf8(text), bytes) << text;
    if (direction == "both") {
      EXPECT_EQ(cp932::to_utf8(bytes), text) << hex;
    }
    ++rows;
  }
  EXPECT_GE(rows, 16);
}

TEST(Cp932, RefusalsAndTheEdges) {
  const std::tuple<const char*, const char*, const char*> refused[] = {
      {"QTH \xF0\x9F\x98\x80", "Address1", "Address1: U+1F600 cannot be stored in Shift-JIS (code page 932)"},
      {"\xC3\xA9t\xC3\xA9", "Address1", "Address1: U+00E9 cannot be stored in Shift-JIS (code page 932)"},
      {"ok \xFF", "Address1", "Address1: the byte 0xFF cannot be stored in Shift-JIS (code page 932)"},
      {"cut \xE6\x9D", "Address1", "Address1: the byte 0xE6 cannot be stored in Shift-JIS (code page 932)"},
      {"stray \x80x", "Address1", "Address1: the byte 0x80 cannot be stored in Shift-JIS (code page 932)"},
      {"\xF0\x9F\x98\x80", "", "U+1F600 cannot be stored in Shift-JIS (code page 932)"},
      {"\xEF\xBD\xA0", "", "U+FF60 cannot be stored in Shift-JIS (code page 932)"},  // beside ｡ and ﾟ
      {"\xEF\xBE\xA0", "", "U+FFA0 cannot be stored in Shift-JIS (code page 932)"},
      {"\xC2\x80", "", "U+0080 cannot be stored in Shift-JIS (code page 932)"},
      {"\xEF\xA3\xB0", "", "U+F8F0 cannot be stored in Shift-JIS (code page 932)"},   // Windows' own 0xA0
      {"\xEF\xA3\xB3", "", "U+F8F3 cannot be stored in Shift-JIS (code page 932)"}};  // and 0xFF
  for (const auto& [utf8, field, message] : refused)
    EXPECT_EQ(testing::error_of([&] { cp932::from_utf8(utf8, field); }), message);
  for (const char* outside : {"\x80x", "\xA0x", "\xFDx", "\xFFx"})  // beside the single-byte ranges
    EXPECT_EQ(testing::failure_of([&] { cp932::to_utf8(outside); }), Failed::Encoding)
        << std::hex << (+*outside & 0xFF);
  const std::string bad("ok \x82 \x93\x8C", 7);  // a lone lead byte, then 東
  EXPECT_EQ(testing::failure_of([&] { cp932::to_utf8(bad); }), Failed::Encoding);
  EXPECT_EQ(cp932::to_utf8_or_as_is(bad), bad);                  // a terminal
  EXPECT_EQ(cp932::to_utf8_lossy(bad), "ok \xEF\xBF\xBD 東");    // a window
  EXPECT_EQ(cp932::to_utf8_lossy("\xB1\x93"), "ｱ\xEF\xBF\xBD");  // cut at the end
  EXPECT_EQ(Error(Failed::Log, bad).utf8(), bad);
  EXPECT_EQ(Error(Failed::Log, "\x93\x8C").utf8(), "東");
}

}  // namespace
}  // namespace quillon

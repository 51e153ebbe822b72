#include "platform/cp932.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(Cp932, RoundTripsJapaneseAndTheCp932OnlyCharacters) {
  // "東京都" plus the circled one and the roman numeral I, which plain Shift_JIS lacks.
  const std::string utf8 = "東京都①Ⅰ～";
  const std::string sjis = cp932::from_utf8(utf8);
  EXPECT_EQ(sjis, "\x93\x8C\x8B\x9E\x93\x73\x87\x40\x87\x54\x81\x60");
  EXPECT_EQ(cp932::to_utf8(sjis), utf8);
}

TEST(Cp932, RefusesACharacterItCannotHoldAndNamesIt) {
  const struct {
    const char* utf8;
    const char* message;
  } cases[] = {
      {"QTH \xF0\x9F\x98\x80", "Address1: U+1F600 cannot be stored in Shift-JIS (code page 932)"},
      {"\xC3\xA9t\xC3\xA9", "Address1: U+00E9 cannot be stored in Shift-JIS (code page 932)"},
      {"ok \xFF", "Address1: the byte 0xFF cannot be stored in Shift-JIS (code page 932)"},
      {"cut \xE6\x9D", "Address1: the byte 0xE6 cannot be stored in Shift-JIS (code page 932)"},
  };
  EXPECT_THROW(
      {
        try {
          cp932::from_utf8("\xF0\x9F\x98\x80", "");
        } catch (const cp932::EncodingError& e) {
          EXPECT_STREQ(e.what(), "U+1F600 cannot be stored in Shift-JIS (code page 932)");
          throw;
        }
      },
      cp932::EncodingError);
  for (const auto& c : cases) {
    try {
      cp932::from_utf8(c.utf8, "Address1");
      ADD_FAILURE() << "no error for " << c.utf8;
    } catch (const cp932::EncodingError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(Cp932, DecodesForEachEdge) {
  const std::string bad("ok \x82 \x93\x8C", 7);  // a lone lead byte, then 東
  EXPECT_THROW(cp932::to_utf8(bad), cp932::EncodingError);
  EXPECT_THROW(cp932::to_utf8("\x81"), cp932::EncodingError);
  EXPECT_EQ(cp932::to_utf8_or_as_is(bad), bad);
  EXPECT_EQ(cp932::to_utf8_lossy(bad), "ok \xEF\xBF\xBD 東");
  EXPECT_EQ(cp932::to_utf8_lossy("\x93"), "\xEF\xBF\xBD");  // cut at the end
  EXPECT_EQ(cp932::to_utf8_lossy("\xB1\x93\x8C"), "ｱ東");
  EXPECT_EQ(Error(bad).utf8(), bad);
  EXPECT_EQ(Error("\x93\x8C").utf8(), "東");
}

}  // namespace
}  // namespace quillon

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
  try {
    cp932::from_utf8("QTH 😀", "Address1");
    FAIL() << "no error";
  } catch (const cp932::EncodingError& e) {
    EXPECT_NE(std::string(e.what()).find("Address1"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("😀"), std::string::npos);
  }
}

TEST(Cp932, RefusesMalformedBytes) {
  EXPECT_THROW(cp932::to_utf8("\x81"), cp932::EncodingError);  // a lead byte alone
}

}  // namespace
}  // namespace quillon

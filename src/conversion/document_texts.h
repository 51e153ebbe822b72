#pragma once
// The fixed texts of the upload document.
#include <array>

namespace quillon::document_text {

inline constexpr const char* kHeadPrefix = "<PUTQSODATA_HEAD>|";
inline constexpr const char* kSoftware = "Varnel_System_format";
inline constexpr const char* kBodyStart = "<putqsodata_body>";
inline constexpr const char* kBodyEnd = "</putqsodata_body>";

// The spacing inside the tags differs from line to line; it is part of the format.
inline constexpr std::array<const char*, 16> kBandTable = {
    "<PUTQSODATA_HEAD>|<BAND 0>1.9|<RIG 0>|<ANT 0>|<PWR 0>",
    "<PUTQSODATA_HEAD>|<BAND 1>3.5|<RIG 1>|<ANT 1>|<PWR 1>",
    "<PUTQSODATA_HEAD>|<BAND 2>7|<RIG 2>|<PWR 2>",
    "<PUTQSODATA_HEAD>|<BAND 3>10|<RIG 3>|<ANT 3>|<PWR 3>",
    "<PUTQSODATA_HEAD>|<BAND 4>14|<RIG 4>|<ANT 4>|<PWR 4>",
    "<PUTQSODATA_HEAD>|<BAND 5>21|<RIG 5>|<ANT 5>|<PWR 5>",
    "<PUTQSODATA_HEAD>|<BAND 6>28|<RIG 6>|<ANT 6>|<PWR 6>",
    "<PUTQSODATA_HEAD>|<BAND 7>50|<RIG 7>|<ANT7>|<PWR 7>",
    "<PUTQSODATA_HEAD>|<BAND 8>144|<RIG 8>|<ANT 8>|<PWR 8>",
    "<PUTQSODATA_HEAD>|<BAND 9>430|<RIG 9>|<ANT 9>|<PWR 9>",
    "<PUTQSODATA_HEAD>|<BAND10>|<RIG10>|<ANT10>|<PWR10>",
    "<PUTQSODATA_HEAD>|<BAND11>|<RIG11>|<ANT11>|<PWR11>",
    "<PUTQSODATA_HEAD>|<BAND12>1200|<RIG12>|<ANT12>|<PWR12>",
    "<PUTQSODATA_HEAD>|<BAND13>|<RIG13>|<ANT13>|<PWR13>",
    "<PUTQSODATA_HEAD>|<BAND14>5600|<RIG14>|<ANT14>|<PWR14>",
    "<PUTQSODATA_HEAD>|<BAND15>2400|<RIG15>|<ANT15>|<PWR15>",
};

}  // namespace quillon::document_text

#pragma once
// The Japanese catalog (po/ja.po as msgfmt compiles it), built into the
// program: Windows has no gettext, and the manual pages are made from it.
#include <string_view>

namespace quillon::cli {

std::string_view japanese_catalog();

}  // namespace quillon::cli

#pragma once
// The manual pages and the bash completion, made from the command table at
// build time (quillon-cli-reference).
#include <string>
#include <string_view>

namespace quillon::cli {

std::string manual_page_cli(std::string_view version);
std::string manual_page_window(std::string_view version);
std::string bash_completion();

}  // namespace quillon::cli

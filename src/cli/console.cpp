#include "console.h"

#include "platform/cp932.h"
#include "platform/paths.h"

namespace quillon::cli {

std::string for_terminal(std::string_view cp932_text) { return cp932::to_utf8_or_as_is(cp932_text); }

std::string default_settings_path() {
  return platform::settings_folder() + platform::kPathSeparator + "qsodata.qsl";
}

std::string option_or(const ParsedOptions& options, const std::string& name,
                      const std::string& fallback) {
  auto it = options.values.find(name);
  return it == options.values.end() ? fallback : it->second;
}

}  // namespace quillon::cli

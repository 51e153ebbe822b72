#include <algorithm>

#include "commands.h"

namespace quillon::cli {

ParsedOptions parse_options(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                            const std::vector<std::string>& allowed_flags) {
  ParsedOptions parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--help" || word == "-h") {
      parsed.help = true;
      continue;
    }
    if (std::find(allowed_flags.begin(), allowed_flags.end(), word) != allowed_flags.end()) {
      if (!parsed.flags.insert(word).second) {
        parsed.error = "option " + word + " given twice";
        return parsed;
      }
      continue;
    }
    std::string name = word;
    std::string value;
    bool has_value = false;
    if (auto eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = word.substr(0, eq);
      value = word.substr(eq + 1);
      has_value = true;
    }
    if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
      parsed.error = "unknown option \"" + word + "\"";
      return parsed;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) {
        parsed.error = "option " + name + " needs a value";
        return parsed;
      }
      value = args[++i];
    }
    if (!parsed.values.emplace(name, value).second) {
      parsed.error = "option " + name + " given twice";
      return parsed;
    }
  }
  return parsed;
}

}  // namespace quillon::cli

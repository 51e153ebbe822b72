#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <string_view>

#include "platform/messages.h"
#include "platform/messages_backend.h"
#include "platform/module_posix.h"

namespace quillon::platform {
namespace {

const char* g_domain = nullptr;

// Whether any of the variables gettext chooses by names Japanese ("ja_JP",
// "japanese" as locale.alias has it, "ja" among LANGUAGE's). Our catalogs are
// Japanese: where none does, the answer is English whatever gettext would
// weigh, and loading the locale would only cost the program's start.
bool may_be_japanese() {
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    for (std::string_view rest = value ? value : ""; !rest.empty();) {
      if (rest.substr(0, 2) == "ja") return true;
      const std::size_t colon = rest.find(':');
      rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
  }
  return false;
}

}  // namespace

// Only the messages follow the locale: numbers in the log are read the same
// whatever the user's language. The texts come as UTF-8 whatever LC_CTYPE says.
void open_catalog(const char* domain, std::string_view) {
  if (!may_be_japanese() || std::setlocale(LC_MESSAGES, "") == nullptr) return;
  const std::string folder = executable_dir() + "/" QUILLON_LOCALE_DIR;
  if (::bindtextdomain(domain, folder.c_str()) == nullptr || ::bind_textdomain_codeset(domain, "UTF-8") == nullptr)
    return;
  g_domain = domain;
}

const char* system_translate(const char* text) { return g_domain ? ::dgettext(g_domain, text) : text; }

const char* system_translate(const char* one, const char* many, unsigned long n) {
  return g_domain ? ::dngettext(g_domain, one, many, n) : n == 1 ? one : many;
}

}  // namespace quillon::platform

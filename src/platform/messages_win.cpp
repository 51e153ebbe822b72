#include <windows.h>

#include "platform/messages.h"
#include "platform/messages_backend.h"

namespace quillon::platform {

// The language the user reads Windows in, not the one of the region's formats.
void open_catalog(const char*, std::string_view builtin) {
  if (PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE) use_catalog(std::string(builtin));
}

const char* system_translate(const char* text) { return text; }

const char* system_translate(const char* one, const char* many, unsigned long n) { return n == 1 ? one : many; }

}  // namespace quillon::platform

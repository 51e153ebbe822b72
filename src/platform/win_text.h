#pragma once
// UTF-8 (the program's native path form) and UTF-16 (Windows' own) for the
// Windows backend files.
#include <string>
#include <string_view>

namespace quillon::platform {

std::wstring wide(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
// The system's words for the last failure, as CP932 text for messages,
// without the closing full stop ("Access is denied").
std::string windows_error();

}  // namespace quillon::platform

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/cp932.h"
#include "platform/paths.h"
#include "platform/win_text.h"

namespace quillon::platform {
namespace {

std::filesystem::path roaming_app_data() {
  if (const wchar_t* env = ::_wgetenv(L"APPDATA"); env != nullptr && *env != L'\0') return env;
  PWSTR known = nullptr;
  std::filesystem::path out;
  if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &known) == S_OK) out = known;
  ::CoTaskMemFree(known);
  return out.empty() ? std::filesystem::temp_directory_path() : out;
}

// Settings kept in the Windows directory (or its per-user VirtualStore copy)
// by an older install are copied, never moved, the first time.
void pick_up_old_settings(const std::filesystem::path& folder) {
  std::error_code ec;
  const std::filesystem::path settings = folder / L"qsodata.qsl";
  if (std::filesystem::exists(settings, ec)) return;
  wchar_t windows[MAX_PATH] = {};
  const UINT n = ::GetWindowsDirectoryW(windows, MAX_PATH);
  std::filesystem::path candidates[2];
  if (n > 0 && n < MAX_PATH) candidates[0] = std::filesystem::path(windows) / L"qsodata.qsl";
  if (const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA"); local != nullptr && n > 0 && n < MAX_PATH)
    candidates[1] = std::filesystem::path(local) / L"VirtualStore" / std::filesystem::path(windows).relative_path() /
                    L"qsodata.qsl";
  for (const auto& old : candidates)
    if (!old.empty() && std::filesystem::is_regular_file(old, ec) && std::filesystem::copy_file(old, settings, ec))
      return;
}

}  // namespace

const char kPathSeparator = '\\';

// %APPDATA%\Quillon: the Windows directory, where the settings once lived, is
// not an ordinary user's to write.
std::string settings_folder() {
  const std::filesystem::path folder = roaming_app_data() / L"Quillon";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);  // a failure shows when a file is opened
  pick_up_old_settings(folder);
  return narrow(folder.wstring());
}

// Paths travel as UTF-8 and become UTF-16 where a file is opened.
std::string native_path(std::string_view cp932_path) { return cp932::to_utf8_or_as_is(cp932_path); }

}  // namespace quillon::platform

// The settings folder: made when missing; on Windows, settings that an older
// install kept in the Windows directory are copied in, once, never moved.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"
#include "support/system.h"

namespace quillon::platform {
namespace {

namespace fs = std::filesystem;

TEST(Paths, SettingsFolderAndTheOldLocation) {
  testing::TempDir home;
  const fs::path folder = testing::use_settings_home(home.path() / "a");
  EXPECT_EQ(fs::path(settings_folder()), folder);
  EXPECT_TRUE(fs::is_directory(folder));
  if (!testing::kWindows) return;  // Linux never had settings elsewhere

  const std::string old = (fs::path(std::getenv("windir")) / "qsodata.qsl").string();
  testing::write_file(old, "old settings\r\n");
  const fs::path fresh = testing::use_settings_home(home.path() / "b");
  EXPECT_EQ(fs::path(settings_folder()), fresh);
  EXPECT_EQ(testing::read_file((fresh / "qsodata.qsl").string()), "old settings\r\n");
  EXPECT_TRUE(fs::exists(old));
  testing::write_file((fresh / "qsodata.qsl").string(), "new settings\r\n");
  settings_folder();
  EXPECT_EQ(testing::read_file((fresh / "qsodata.qsl").string()), "new settings\r\n");
  fs::remove(old);
}

}  // namespace
}  // namespace quillon::platform

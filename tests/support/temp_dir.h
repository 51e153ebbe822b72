#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace quillon::testing {

// A fresh folder under the system temp dir, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A new, empty folder under the system's temp folder.
std::filesystem::path make_temp_folder(std::string_view prefix);
// Paths are UTF-8 on every system (Windows would read a narrow string in its code page).
std::filesystem::path utf8_path(const std::string& path);
std::string read_file(const std::string& path);
std::string read_file_or_empty(const std::string& path);  // "" when missing
void write_file(const std::string& path, std::string_view bytes);
// The permission bits in octal, "600"; Windows shows only "666" or "444".
std::string permission_bits(const std::string& path);

}  // namespace quillon::testing

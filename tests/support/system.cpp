
#include "support/system.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace quillon::testing {

std::filesystem::path make_temp_folder(std::string_view prefix) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (std::string(prefix) + "-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder)) return folder;
  }
  throw std::runtime_error("no new temp folder");
}

TempDir::TempDir() : path_(make_temp_folder("quillon-test")) {}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::filesystem::path utf8_path(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string read_file(const std::string& path) {
  std::ifstream in(utf8_path(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string read_file_or_empty(const std::string& path) {
  std::ifstream in(utf8_path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string permission_bits(const std::string& path) {
  const auto bits = static_cast<unsigned>(std::filesystem::status(path).permissions() & std::filesystem::perms::mask);
  return std::to_string(bits >> 6 & 7) + std::to_string(bits >> 3 & 7) + std::to_string(bits & 7);
}

void write_file(const std::string& path, std::string_view bytes) {
  std::ofstream out(utf8_path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace quillon::testing

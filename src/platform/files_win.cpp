#include <windows.h>

#include <atomic>

#include "platform/files.h"
#include "platform/test_switch.h"
#include "platform/win_text.h"

namespace quillon::platform {

// A file in %APPDATA% is its owner's already; Access only matters on POSIX.
struct ReplacingFile::Impl {
  std::wstring target;
  std::wstring temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  bool committed = false;
  std::string reason;

  bool fail() {
    reason = windows_error();
    return false;
  }
};

ReplacingFile::ReplacingFile(const std::string& target, Access) : impl_(new Impl) {
  if (target.empty()) {
    impl_->reason = "no file name";
    return;
  }
  static std::atomic<unsigned> serial{0};
  impl_->target = wide(target);
  for (int attempt = 0; attempt < 100 && impl_->file == INVALID_HANDLE_VALUE; ++attempt) {
    impl_->temp =
        impl_->target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(serial++);
    impl_->file =
        ::CreateFileW(impl_->temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (impl_->file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (impl_->file == INVALID_HANDLE_VALUE) {
    impl_->fail();
    impl_->temp.clear();  // nothing was created, so nothing to remove
  }
}

ReplacingFile::~ReplacingFile() {
  if (impl_->file != INVALID_HANDLE_VALUE) ::CloseHandle(impl_->file);
  if (!impl_->committed && !impl_->temp.empty()) ::DeleteFileW(impl_->temp.c_str());
}

bool ReplacingFile::ok() const { return impl_->file != INVALID_HANDLE_VALUE; }

bool ReplacingFile::write(std::string_view bytes) {
  if (impl_->file == INVALID_HANDLE_VALUE) return false;
  while (!bytes.empty()) {
    DWORD done = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    if (!::WriteFile(impl_->file, bytes.data(), want, &done, nullptr) || done == 0) return impl_->fail();
    bytes.remove_prefix(done);
  }
  return true;
}

namespace {
std::atomic<unsigned long> flushes{0};
bool counted(bool flushed) { return flushed && (++flushes, true); }
}  // namespace

unsigned long files_flushed() { return flushes; }

bool ReplacingFile::commit() {
  if (impl_->file == INVALID_HANDLE_VALUE) return false;
  const bool flushed =
      !test_failure("fail-flush", impl_->reason) && (counted(::FlushFileBuffers(impl_->file) != 0) || impl_->fail());
  const bool closed = ::CloseHandle(impl_->file) || impl_->fail();
  impl_->file = INVALID_HANDLE_VALUE;
  if (!flushed || !closed) return false;
  if (test_failure("fail-rename", impl_->reason)) return false;
  if (!::MoveFileExW(impl_->temp.c_str(), impl_->target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return impl_->fail();
  impl_->committed = true;
  return true;
}

const std::string& ReplacingFile::reason() const { return impl_->reason; }

Error file_error(Failed failed, const std::string& what) {
  const DWORD number = ::GetLastError();
  const std::string why = windows_error();
  return Error(failed, what.empty() ? why : what + " (" + why + ")", number);
}

bool read_whole_file(const std::string& path, std::string& data) {
  const HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  data.clear();
  if (::GetFileSizeEx(file, &size)) data.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[64 * 1024];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) data.append(buffer, got);
  ::CloseHandle(file);
  return ok;
}

bool ordinary_file_exists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

long long file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (path.empty() || !::GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return (static_cast<long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

namespace {
bool create(const std::string& path, DWORD disposition) {
  const HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file != INVALID_HANDLE_VALUE && ::CloseHandle(file);
}
}  // namespace

bool create_if_missing(const std::string& path) { return create(path, OPEN_ALWAYS); }

bool rename_file(const std::string& from, const std::string& to) {
  return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}
bool create_empty_file(const std::string& path) { return create(path, CREATE_ALWAYS); }

}  // namespace quillon::platform

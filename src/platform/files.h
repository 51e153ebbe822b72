#pragma once
// Files as the rest of the program needs them. Paths are native (what
// native_path() gives).
#include <memory>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace quillon::platform {

// A file written beside its target and renamed over it by commit(), so that a
// failure never leaves half a file where the target was. Removed unless committed.
class ReplacingFile {
 public:
  enum class Access { Ordinary, OwnerOnly };

  ReplacingFile(const std::string& target, Access access);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // False when the file beside the target could not be created.
  bool ok() const;
  bool write(std::string_view bytes);
  // Writes through to the disk and renames over the target.
  bool commit();
  // Why the last step failed, in words of the system (ASCII).
  const std::string& reason() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// How many files this process has written through to the disk: the test
// switch stands in for a failing flush, so this is how the real one is seen.
unsigned long files_flushed();

// The whole file into `data`; false when it cannot be opened or read.
bool read_whole_file(const std::string& path, std::string& data);
// An error of `failed` for this thread's last failed file call: `what` (CP932)
// with the system's words for why in brackets, or those words alone; the
// system's number (errno, GetLastError) with it.
Error file_error(Failed failed, const std::string& what = {});

// An ordinary file: exists, is a regular file (not a directory or device).
// An empty path names no file.
bool ordinary_file_exists(const std::string& path);

// Size in bytes of the file, or -1 when it cannot be read.
long long file_size(const std::string& path);

// Creates the file empty when missing (owner-only on POSIX); leaves one that is there.
bool create_if_missing(const std::string& path);

// Creates an empty file, replacing any file of that name.
bool create_empty_file(const std::string& path);

// Renames a file, never over another: false when `to` exists or the rename fails.
bool rename_file(const std::string& from, const std::string& to);

}  // namespace quillon::platform

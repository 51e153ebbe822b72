#pragma once
// A lock on a file that the system drops when its holder ends, however it
// ends, so a file left behind never blocks anybody. The holder may leave a
// short note in the file for others to read while it holds the lock.
#include <memory>
#include <optional>
#include <string>

namespace quillon::platform {

class FileLock {
 public:
  enum class Result { Taken, Held, Unavailable };
  // Takes the lock at `path` (created owner-only when missing) without
  // waiting. Held: another process has it; Unavailable: the file cannot be
  // opened, with the reason in file_error().
  static std::unique_ptr<FileLock> try_take(const std::string& path, Result& result);
  // The holder's note, or none when nobody holds the lock (or there is no file).
  static std::optional<std::string> holder_note(const std::string& path);

  virtual ~FileLock() = default;
  // Replaces the note.
  virtual void note(const std::string& text) = 0;

 protected:
  FileLock() = default;
};

}  // namespace quillon::platform

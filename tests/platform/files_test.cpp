// A file written beside its target and renamed over it: the target untouched
// until the commit, nothing left beside it after a failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "support/system.h"

namespace quillon::platform {
namespace {

using testing::read_file;
using testing::write_file;
namespace fs = std::filesystem;

std::set<std::string> listing(const testing::TempDir& dir) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(dir.path())) out.insert(e.path().filename().string());
  return out;
}

TEST(Files, ReplacingFile) {
  for (const auto access : {ReplacingFile::Access::OwnerOnly, ReplacingFile::Access::Ordinary}) {
    testing::TempDir dir;
    write_file(dir.file("t"), "old");
    write_file(dir.file("plain"), "");  // what an ordinary new file gets
    {
      ReplacingFile f(dir.file("t"), access);
      EXPECT_TRUE(f.ok() && f.write("new ") && f.write("bytes"));
      EXPECT_EQ(read_file(dir.file("t")), "old");  // untouched until the commit
      const unsigned long flushed = files_flushed();
      EXPECT_TRUE(f.commit());
      EXPECT_EQ(files_flushed(), flushed + 1);  // through to the disk before the rename
    }
    EXPECT_EQ(testing::permission_bits(dir.file("t")), access == ReplacingFile::Access::OwnerOnly && !testing::kWindows
                                                           ? "600"
                                                           : testing::permission_bits(dir.file("plain")));
    EXPECT_EQ(read_file(dir.file("t")), "new bytes");
    { ReplacingFile(dir.file("t"), access).write("not committed"); }
    fs::create_directory(dir.file("d"));  // the rename over it fails
    {
      ReplacingFile f(dir.file("d"), access);
      EXPECT_FALSE(f.commit());
      EXPECT_FALSE(f.reason().empty());
    }
    EXPECT_EQ(read_file(dir.file("t")), "new bytes");
    EXPECT_EQ(listing(dir), (std::set<std::string>{"d", "plain", "t"}));
    for (const std::string& target : {std::string(), dir.file("no/such/folder/t")}) {
      ReplacingFile bad(target, access);
      EXPECT_FALSE(bad.ok() || bad.write("x") || bad.commit()) << target;
      EXPECT_FALSE(bad.reason().empty()) << target;
    }
  }
}

// A rename never replaces what stands at the new name.
TEST(Files, RenameNeverOverAnother) {
  testing::TempDir dir;
  write_file(dir.file("a"), "a");
  write_file(dir.file("taken"), "taken");
  EXPECT_FALSE(rename_file(dir.file("a"), dir.file("taken")));
  EXPECT_FALSE(rename_file(dir.file("missing"), dir.file("b")));
  EXPECT_EQ(listing(dir), (std::set<std::string>{"a", "taken"}));
  EXPECT_EQ(read_file(dir.file("taken")), "taken");
  EXPECT_TRUE(rename_file(dir.file("a"), dir.file("b")));
  EXPECT_EQ(listing(dir), (std::set<std::string>{"b", "taken"}));
  EXPECT_EQ(read_file(dir.file("b")), "a");
}

// A failed file call's error: what was asked, the system's words, its number
// (ENOENT and ERROR_FILE_NOT_FOUND are both 2).
TEST(Files, AFailedCallGivesItsWordsAndNumber) {
  testing::TempDir dir;
  std::string data;
  ASSERT_FALSE(read_whole_file(dir.file("missing"), data));
  const Error named = file_error(Failed::Settings, "reading missing");
  EXPECT_EQ(named.failed(), Failed::Settings);
  EXPECT_EQ(named.number(), 2u);
  EXPECT_EQ(named.utf8(), std::string("reading missing (") + testing::kWords.no_file + ")");
  ASSERT_FALSE(read_whole_file(dir.file("missing"), data));
  EXPECT_EQ(file_error(Failed::History).utf8(), testing::kWords.no_file);
}

// The lock one upload holds: another taker is refused while it stands and
// takes it once it is gone; its note is read meanwhile, nothing after.
TEST(FileLock, HeldUntilReleasedAndItsNoteReadMeanwhile) {
  testing::TempDir dir;
  const std::string path = dir.file("uploads.lock");
  EXPECT_EQ(FileLock::holder_note(path), std::nullopt);  // no file: nobody holds it
  FileLock::Result r = FileLock::Result::Unavailable;
  auto first = FileLock::try_take(path, r);
  ASSERT_TRUE(first);
  EXPECT_EQ(r, FileLock::Result::Taken);
  EXPECT_EQ(FileLock::holder_note(path), "");
  first->note("1234");
  first->note("17");  // replaced, not appended
  EXPECT_EQ(FileLock::holder_note(path), "17");
  EXPECT_EQ(FileLock::try_take(path, r), nullptr);
  EXPECT_EQ(r, FileLock::Result::Held);
  first.reset();
  EXPECT_EQ(FileLock::holder_note(path), std::nullopt);  // the note stays in the file, but nobody holds it
  EXPECT_NE(FileLock::try_take(path, r), nullptr);
  EXPECT_EQ(r, FileLock::Result::Taken);
  EXPECT_EQ(FileLock::try_take(dir.file("missing/uploads.lock"), r), nullptr);
  EXPECT_EQ(r, FileLock::Result::Unavailable);
  if (!testing::kWindows) {
    EXPECT_EQ(testing::permission_bits(path), "600");
  }
}

}  // namespace
}  // namespace quillon::platform

// Files written beside their target, read whole, tested and sized.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace quillon::platform {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;
namespace fs = std::filesystem;

int entries(const TempDir& dir) {
  return static_cast<int>(std::distance(fs::directory_iterator(dir.path()), {}));
}

unsigned mode_of(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 0777;
}

TEST(ReplacingFile, CommitReplacesTheTargetWithTheAccessAsked) {
  struct Case {
    ReplacingFile::Access access;
    unsigned mode;
  };
  const mode_t mask = ::umask(022);
  for (const Case& c : {Case{ReplacingFile::Access::OwnerOnly, 0600}, Case{ReplacingFile::Access::Ordinary, 0644}}) {
    TempDir dir;
    write_file(dir.file("t"), "old");
    ReplacingFile f(dir.file("t"), c.access);
    ASSERT_TRUE(f.ok());
    EXPECT_TRUE(f.write("new "));
    EXPECT_TRUE(f.write("bytes"));
    EXPECT_EQ(read_file(dir.file("t")), "old");  // untouched until the commit
    EXPECT_TRUE(f.commit());
    EXPECT_EQ(read_file(dir.file("t")), "new bytes");
    EXPECT_EQ(mode_of(dir.file("t")), c.mode);
    EXPECT_EQ(entries(dir), 1);
  }
  ::umask(mask);
}

TEST(ReplacingFile, WhatIsNotCommittedLeavesNothingBehind) {
  TempDir dir;
  write_file(dir.file("t"), "old");
  {
    ReplacingFile f(dir.file("t"), ReplacingFile::Access::Ordinary);
    ASSERT_TRUE(f.write("half"));
  }
  EXPECT_EQ(read_file(dir.file("t")), "old");
  EXPECT_EQ(entries(dir), 1);
  // A folder in the target's place: the rename fails and the file beside it goes.
  fs::create_directory(dir.file("d"));
  {
    ReplacingFile f(dir.file("d"), ReplacingFile::Access::Ordinary);
    ASSERT_TRUE(f.ok());
    EXPECT_FALSE(f.commit());
    EXPECT_FALSE(f.reason().empty());
  }
  EXPECT_TRUE(fs::is_directory(dir.file("d")));
  EXPECT_EQ(entries(dir), 2);
}

TEST(ReplacingFile, ATargetThatCannotBeMadeIsNotOk) {
  TempDir dir;
  for (const std::string& target : {std::string(), dir.file("no/such/folder/t")}) {
    ReplacingFile f(target, ReplacingFile::Access::Ordinary);
    EXPECT_FALSE(f.ok()) << target;
    EXPECT_FALSE(f.reason().empty()) << target;
    EXPECT_FALSE(f.write("x")) << target;
    EXPECT_FALSE(f.commit()) << target;
  }
  EXPECT_EQ(entries(dir), 0);
}

TEST(Files, ReadTestSizeAndEmpty) {
  TempDir dir;
  std::string big(70000, 'x');
  big[69999] = '\0';
  write_file(dir.file("f"), big);
  std::string data = "stale";
  EXPECT_TRUE(read_whole_file(dir.file("f"), data));
  EXPECT_EQ(data, big);
  write_file(dir.file("e"), "");
  EXPECT_TRUE(read_whole_file(dir.file("e"), data));
  EXPECT_EQ(data, "");
  EXPECT_FALSE(read_whole_file(dir.file("missing"), data));
  EXPECT_FALSE(read_whole_file(dir.path().string(), data));  // a folder

  EXPECT_TRUE(ordinary_file_exists(dir.file("e")));
  EXPECT_FALSE(ordinary_file_exists(""));
  EXPECT_FALSE(ordinary_file_exists(dir.path().string()));
  EXPECT_FALSE(ordinary_file_exists(dir.file("missing")));
  EXPECT_EQ(file_size(dir.file("f")), 70000);
  EXPECT_EQ(file_size(dir.file("e")), 0);
  EXPECT_EQ(file_size(dir.file("missing")), -1);
  EXPECT_EQ(file_size(dir.path().string()), -1);

  EXPECT_TRUE(create_empty_file(dir.file("f")));
  EXPECT_EQ(file_size(dir.file("f")), 0);
  EXPECT_FALSE(create_empty_file(dir.file("no/such/f")));
}

}  // namespace
}  // namespace quillon::platform

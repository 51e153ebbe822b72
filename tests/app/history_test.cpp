// The history file: lines added after a torn one still read, and the
// fingerprint is FNV-1a as published.
#include <gtest/gtest.h>

#include "app/history.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

TEST(History, FingerprintIsFnv1a64) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "cbf29ce484222325"}, {"a", "af63dc4c8601ec8c"}, {"foobar", "85944171f73967e8"}};
  for (const auto& [bytes, want] : cases) EXPECT_EQ(fnv1a_hex(bytes), want) << '"' << bytes << '"';
}

TEST(History, AppendsAfterATornLineAndReadsBack) {
  testing::TempDir dir;
  const std::string path = dir.file("uploads.jsonl");
  testing::write_file(path, "{\"started\":\"2026-");  // a crash mid-line
  HistoryEntry e{"2026-12-08T12:00:00+09:00", "/log/Q1AAA.x", "h", 21, 3, 2488, "00", "store", 12003,
                 "550 \xe3\x81\x82", 1.5};
  std::string why;
  ASSERT_TRUE(append_history(path, e, why)) << why;
  ASSERT_TRUE(append_history(path, e, why)) << why;
  EXPECT_EQ(read_history(path), (std::vector<HistoryEntry>{e, e}));
  const std::string fresh = dir.file("new.jsonl");
  ASSERT_TRUE(append_history(fresh, e, why)) << why;
  if (!testing::kWindows) {
    EXPECT_EQ(testing::permission_bits(fresh), "600");  // it names the user's uploads
  }
  for (const char* foreign : {"{}", "[1,2]", "{\"outcome\":\"sent\"}", "null"})
    EXPECT_FALSE(parse_history_line(foreign)) << foreign;
  e.outcome = "nonsense";
  EXPECT_FALSE(parse_history_line(to_json(e).dump()));
}

}  // namespace
}  // namespace quillon

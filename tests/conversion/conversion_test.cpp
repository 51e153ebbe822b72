// The upload document, byte for byte, from the case folders under
// tests/data/documents: log.csv and settings.qsl in, expected.xml out, or
// error.txt with the message ({csv} and {xml} stand for the paths).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/settings.h"
#include "app/upload_run.h"
#include "conversion/conversion.h"
#include "support/script_text.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::write_file;

struct FixedClock final : platform::Clock {
  platform::LocalDateTime now() override { return {2024, 2, 3, 9, 5, 7}; }
};

// The first line that differs, so a failure says where.
std::string first_difference(const std::string& want, const std::string& got) {
  std::size_t line = 1, at = 0;
  while (at < want.size() && at < got.size() && want[at] == got[at]) line += want[at++] == '\n';
  const auto line_at = [at](const std::string& s) {
    const std::size_t start = s.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    return s.substr(from, s.find('\n', from) - from);
  };
  return "line " + std::to_string(line) + "\n  want: " + line_at(want) + "\n  got:  " + line_at(got);
}

TEST(Documents, EachCaseFolder) {
  int cases = 0;
  for (const auto& folder : fs::directory_iterator(fs::path(QUILLON_TEST_DATA_DIR) / "documents")) {
    const std::string name = folder.path().filename().string();
    SCOPED_TRACE(name);
    ++cases;
    testing::TempDir dir;
    const std::string csv = dir.file("tarnis.csv"), xml = dir.file("qsoupdata.xml");
    write_file(csv, read_file((folder.path() / "log.csv").string()));
    write_file(xml, "previous");
    const Settings s = read_settings((folder.path() / "settings.qsl").string());
    FixedClock clock;
    ContactLog log;
    std::string error;
    try {
      read_log(csv, log);
      koushin(log, head_values(s), xml, clock, kXmlDeclaration);
    } catch (const Error& e) {
      error = e.utf8() + "\n";
    }
    const fs::path expected_error = folder.path() / "error.txt";
    if (fs::exists(expected_error)) {
      EXPECT_EQ(error, testing::replace_all(testing::replace_all(read_file(expected_error.string()), "{csv}", csv), "{xml}", xml));
      EXPECT_EQ(read_file(xml), "previous");
    } else {
      EXPECT_EQ(error, "");
      const std::string want = read_file((folder.path() / "expected.xml").string());
      const std::string got = read_file(xml);
      if (got != want) {
        write_file(std::string(QUILLON_BINARY_DIR) + "/" + name + ".actual.xml", got);
        ADD_FAILURE() << first_difference(want, got);
      }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << "files left beside the document";
  }
  EXPECT_GE(cases, 20);
}

TEST(Documents, TwoThousandRecordsAndNoMore) {
  testing::TempDir dir;
  const std::string record = read_file(std::string(QUILLON_TEST_DATA_DIR) + "/documents/example/log.csv");
  std::string csv;
  for (int i = 0; i < 2000; ++i) csv += record;
  ContactLog log;
  for (const char* extra : {"", ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,N,,,,,\r\n"}) {
    write_file(dir.file("tarnis.csv"), csv + extra);
    try {
      read_log(dir.file("tarnis.csv"), log);
      EXPECT_EQ(*extra, '\0') << "2001 records read";
      EXPECT_EQ(log.log_count, 2000);
    } catch (const Error& e) {
      // Counted before field 30 is seen, so a record that would be dropped fails too.
      EXPECT_EQ(e.utf8(), "ログのレコードが2000件を超えています: " + dir.file("tarnis.csv") + " (レコード 2001、行 2001)");
    }
  }
  try {
    read_log(dir.file("missing.csv"), log);
    ADD_FAILURE() << "a missing log was read";
  } catch (const Error& e) {
    EXPECT_EQ(e.utf8(), "ログファイルを開けません: " + dir.file("missing.csv"));
  }
}

TEST(Documents, UnwritableTargets) {
  testing::TempDir dir;
  ContactLog log;
  FixedClock clock;
  for (const std::string& xml : {std::string(), dir.file("no/such/folder/out.xml")}) {
    try {
      koushin(log, {}, xml, clock, kXmlDeclaration);
      ADD_FAILURE() << "wrote " << xml;
    } catch (const Error& e) {
      EXPECT_EQ(e.utf8(), "出力ファイルを作成できません: " + xml);
    }
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
}  // namespace quillon

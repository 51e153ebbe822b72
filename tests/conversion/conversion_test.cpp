// The upload document, byte for byte, from the case folders under
// tests/data/documents: log.csv and settings.qsl in, expected.xml out, or
// error.txt with the message ({csv} and {xml} stand for the paths).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/settings.h"
#include "app/upload_run.h"
#include "conversion/conversion.h"
#include "support/case_file.h"
#include "support/system.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::write_file;

struct FixedClock final : platform::Clock {
  platform::LocalDateTime now() override { return {2024, 2, 3, 9, 5, 7}; }
};

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
      EXPECT_EQ(error, testing::replace_all(testing::replace_all(read_file(expected_error.string()), "{csv}", csv),
                                            "{xml}", xml));
      EXPECT_EQ(read_file(xml), "previous");
    } else {
      EXPECT_EQ(error, "");
      EXPECT_EQ(read_file(xml), read_file((folder.path() / "expected.xml").string()));
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
  write_file(dir.file("tarnis.csv"), csv);
  EXPECT_EQ(testing::error_of([&] { read_log(dir.file("tarnis.csv"), log); }), "(no error)");
  EXPECT_EQ(log.log_count, 2000);
  // Counted before field 30 is seen, so a record that would be dropped fails too.
  write_file(dir.file("tarnis.csv"), csv + ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,N,,,,,\r\n");
  EXPECT_EQ(testing::error_of([&] { read_log(dir.file("tarnis.csv"), log); }),
            "ログのレコードが2000件を超えています: " + dir.file("tarnis.csv") + " (レコード 2001、行 2001)");
  EXPECT_EQ(testing::error_of([&] { read_log(dir.file("missing.csv"), log); }),
            "ログファイルを開けません: " + dir.file("missing.csv"));
}

}  // namespace
}  // namespace quillon

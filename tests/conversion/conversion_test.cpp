#include <gtest/gtest.h>

#include <filesystem>

#include "conversion/conversion.h"
#include "conversion/fixtures.h"
#include "conversion/numbers.h"
#include "platform/cp932.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using testing::csv_record;
using testing::FixedClock;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

std::string sjis(const char* utf8) { return cp932::from_utf8(utf8); }

const char* const kBandLines =
    "<PUTQSODATA_HEAD>|<BAND 0>1.9|<RIG 0>|<ANT 0>|<PWR 0>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 1>3.5|<RIG 1>|<ANT 1>|<PWR 1>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 2>7|<RIG 2>|<PWR 2>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 3>10|<RIG 3>|<ANT 3>|<PWR 3>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 4>14|<RIG 4>|<ANT 4>|<PWR 4>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 5>21|<RIG 5>|<ANT 5>|<PWR 5>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 6>28|<RIG 6>|<ANT 6>|<PWR 6>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 7>50|<RIG 7>|<ANT7>|<PWR 7>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 8>144|<RIG 8>|<ANT 8>|<PWR 8>\r\n"
    "<PUTQSODATA_HEAD>|<BAND 9>430|<RIG 9>|<ANT 9>|<PWR 9>\r\n"
    "<PUTQSODATA_HEAD>|<BAND10>|<RIG10>|<ANT10>|<PWR10>\r\n"
    "<PUTQSODATA_HEAD>|<BAND11>|<RIG11>|<ANT11>|<PWR11>\r\n"
    "<PUTQSODATA_HEAD>|<BAND12>1200|<RIG12>|<ANT12>|<PWR12>\r\n"
    "<PUTQSODATA_HEAD>|<BAND13>|<RIG13>|<ANT13>|<PWR13>\r\n"
    "<PUTQSODATA_HEAD>|<BAND14>5600|<RIG14>|<ANT14>|<PWR14>\r\n"
    "<PUTQSODATA_HEAD>|<BAND15>2400|<RIG15>|<ANT15>|<PWR15>\r\n";

class Conversion : public ::testing::Test {
 protected:
  Conversion() {
    settings.csv_path = dir.file("tarnis.csv");
    settings.xml_path = dir.file("qsoupdata.xml");
  }
  // Reads `csv` and writes the document; returns it.
  std::string convert(const std::string& csv) {
    write_file(settings.csv_path, csv);
    read_log(settings.csv_path, log);
    koushin(log, head(), settings.xml_path, clock, kXmlDeclaration);
    return read_file(settings.xml_path);
  }
  // The body lines of the document, from "<putqsodata_body>" on.
  std::string body(const std::string& csv) {
    const std::string doc = convert(csv);
    return doc.substr(doc.find("<putqsodata_body>"));
  }

  HeadValues head() const {
    return {settings.callsign, settings.my_portable, settings.qsl_name, settings.address1,
            settings.address2, settings.address3, settings.log_search};
  }

  TempDir dir;
  struct {
    std::string csv_path, xml_path, callsign, my_portable, qsl_name, address1, address2, address3;
    std::int16_t log_search = 0;
  } settings;
  ContactLog log;
  FixedClock clock{{2024, 1, 1, 12, 0, 0}};
};

TEST_F(Conversion, WritesTheExampleDocumentByteForByte) {
  settings.callsign = "Q1AAA";
  settings.my_portable = "/1";
  settings.qsl_name = "Example Name";
  settings.address1 = "Address 1";
  settings.address2 = "Address 2";
  settings.address3 = "Address 3";
  settings.log_search = 1;
  const std::string expected =
      std::string(
          "<PUTQSODATA_HEAD>|<PUTQSODATA_VERSION>|<CALLSIGN>Q1AAA|<PORTABLE>/1|<PORTABLE_PREFIX>|<QSL_REMARKS>\r\n"
          "<PUTQSODATA_HEAD>|<NAME>Example Name|<ADDRESS1>Address 1|<ADDRESS2>Address 2|<ADDRESS3>Address 3|<FILE_NUMBER>\r\n"
          "<PUTQSODATA_HEAD>|<QSLFILE_NAME>|<QSLFILE_PATH>\r\n") +
      kBandLines +
      "<PUTQSODATA_HEAD>|<SOFTWARE>Varnel_System_format|<VERSION>|<MAKE>20240101120000|<LOG_SERCH>ON\r\n"
      "<PUTQSODATA_HEAD>|<BODY_DATA>\r\n"
      "<?xml version=\"1.0\" encoding=\"Shift-JIS\" ?>\r\n"
      "<putqsodata_body>\r\n"
      "<qso_record>\r\n"
      "<daytime>2024/01/01 09:30:00 JST</daytime>\r\n"
      "<callsign>Q2BBB/3</callsign>\r\n"
      "<frequency>7</frequency>\r\n"
      "<mode>CW</mode>\r\n"
      "<his_rpt>599</his_rpt>\r\n"
      "<my_rpt>579</my_rpt>\r\n"
      "<qsl_remarks>TNX</qsl_remarks>\r\n"
      "<qsl_rig>RIG-1</qsl_rig>\r\n"
      "<qsl_ant>DP</qsl_ant>\r\n"
      "<qsl_pwr>10</qsl_pwr>\r\n"
      "<my_portable></my_portable>\r\n"
      "<my_portable_prefix></my_portable_prefix>\r\n"
      "</qso_record>\r\n"
      "</putqsodata_body>\r\n";
  EXPECT_EQ(convert(testing::example_record()), expected);
}

TEST_F(Conversion, HeadCarriesJapaneseSettingsAndTheStampAsBytes) {
  settings.qsl_name = sjis("山田 太郎");
  settings.address1 = sjis("東京都千代田区①");
  settings.address2 = "a|b&<c>";
  clock = FixedClock({2024, 2, 3, 9, 5, 7});
  const std::string doc = convert("");
  EXPECT_NE(doc.find("<NAME>" + sjis("山田 太郎") + "|<ADDRESS1>" + sjis("東京都千代田区①") +
                     "|<ADDRESS2>a|b&<c>|<ADDRESS3>|"),
            std::string::npos);
  EXPECT_NE(doc.find("<MAKE>20240203090507|<LOG_SERCH>\r\n"), std::string::npos);
  EXPECT_NE(doc.find("<CALLSIGN>|<PORTABLE>|"), std::string::npos);
}

TEST_F(Conversion, EmptyLogAndAllDroppedLogGiveAHeadAndAnEmptyBody) {
  const std::string tail = "<putqsodata_body>\r\n</putqsodata_body>\r\n";
  EXPECT_EQ(body(""), tail);
  EXPECT_EQ(log.log_count, 0);
  std::vector<std::string> dropped(30);
  dropped[29] = "N";
  std::vector<std::string> dropped_quoted(30);
  dropped_quoted[29] = "\"N\"";
  EXPECT_EQ(body(csv_record(dropped) + csv_record(dropped_quoted)), tail);
  EXPECT_EQ(log.log_count, 0);
  const std::string doc = read_file(settings.xml_path);
  EXPECT_EQ(std::count(doc.begin(), doc.end(), '\n'), 24);
}

TEST_F(Conversion, FieldThirtyDropsOnlyAnExactN) {
  auto record_with_mark = [](const std::string& mark) {
    std::vector<std::string> items(30);
    items[1] = "\"" + mark + "X\"";
    items[29] = mark;
    return csv_record(items);
  };
  const std::string doc =
      body(record_with_mark("N") + record_with_mark("n") + record_with_mark("\"N\"") +
           record_with_mark("") + record_with_mark("1") + record_with_mark("NN"));
  EXPECT_EQ(log.log_count, 4);
  EXPECT_EQ(doc.find("<callsign>NX</callsign>"), std::string::npos);
  EXPECT_NE(doc.find("<callsign>nX</callsign>"), std::string::npos);
  EXPECT_NE(doc.find("<callsign>NNX</callsign>"), std::string::npos);
}

TEST_F(Conversion, RecordsAreCountedInItemsNotLines) {
  const std::string one = testing::example_record();
  const std::string expected = body(one + one);
  // Spread over two lines: the line end after item 17 stands for its comma.
  std::string spread = one;
  const std::size_t comma = [&] {
    std::size_t at = 0;
    for (int i = 0; i < 17; ++i) at = spread.find(',', at) + 1;
    return at - 1;
  }();
  spread.replace(comma, 1, "\r\n");
  EXPECT_EQ(body(spread + one), expected);
  // Two records on one line.
  std::string joined = one;
  joined.replace(joined.size() - 2, 2, ",");
  EXPECT_EQ(body(joined + one), expected);
}

TEST_F(Conversion, ItemRules) {
  struct Case {
    const char* item;
    LogValue::Kind kind;
    const char* text;
  };
  using K = LogValue::Kind;
  const Case cases[] = {
      {"", K::Empty, ""},
      {"   ", K::Empty, ""},
      {"\"\"", K::Text, ""},
      {"0930", K::Number, "930"},
      {"\"0930\"", K::Text, "0930"},
      {"7.000", K::Number, "7"},
      {"-0", K::Number, "0"},
      {"  599  ", K::Number, "599"},
      {"CW  ", K::Text, "CW"},
      {"  \"a, b \"  trailing", K::Text, "a, b "},
      {"\"line\r\nbreak\"", K::Text, "line\r\nbreak"},
      {"#NULL#", K::Text, "#NULL#"},
      {"1e5", K::Text, "1e5"},
  };
  for (const Case& c : cases) {
    write_file(settings.csv_path, std::string(c.item) + std::string(34, ',') + "\r\n");
    read_log(settings.csv_path, log);
    ASSERT_EQ(log.log_count, 1) << c.item;
    EXPECT_EQ(log.log_records[1].field(1).kind, c.kind) << c.item;
    EXPECT_EQ(log.log_records[1].field(1).text, c.text) << c.item;
  }
}

TEST_F(Conversion, ABlankLineIsOneEmptyItemAndTrailingBlankLinesEndTheData) {
  write_file(settings.csv_path, testing::example_record() + "\r\n\r\n  \r\n");
  read_log(settings.csv_path, log);
  EXPECT_EQ(log.log_count, 1);

  // A blank line before the record shifts every field by one; the last item spills over.
  write_file(settings.csv_path, "\r\n" + testing::example_record());
  try {
    read_log(settings.csv_path, log);
    FAIL() << "the spilled item was not reported";
  } catch (const Error& e) {
    EXPECT_EQ(e.utf8(), "ログファイルがレコードの途中で終わっています: " + settings.csv_path +
                            " (レコード 2、35項目に足りません)");
  }
  EXPECT_EQ(log.log_records[1].field(3).text, "Q2BBB");
  EXPECT_EQ(log.log_records[1].field(1).kind, LogValue::Kind::Empty);
}

TEST_F(Conversion, WholeNumbersRoundHalfToEven) {
  struct Case {
    const char* item;
    const char* written;
  };
  const Case cases[] = {{"7.025", "7"},   {"21.5", "22"},    {"144.5", "144"}, {"1.9", "2"},
                        {"2.5", "2"},     {"3.5", "4"},      {"2.50001", "3"}, {"-2.5", "-2"},
                        {"-0.4", "0"},    {"\"599\"", "599"}, {"\" 42 \"", "42"}, {"", "0"},
                        {"32767", "32767"}, {"-32768.4", "-32768"}, {"0032767.0", "32767"}};
  for (const Case& c : cases) {
    std::vector<std::string> items(11);
    items[10] = c.item;
    EXPECT_NE(body(csv_record(items)).find(std::string("<frequency>") + c.written + "</frequency>"),
              std::string::npos)
        << c.item;
  }
}

TEST_F(Conversion, DaytimeZoneCallsignAndModeForms) {
  struct Case {
    std::vector<std::string> items;
    const char* line;
  };
  auto rec = [](const char* prefix, const char* call, const char* suffix, const char* zone,
                const char* mode, const char* time) {
    std::vector<std::string> items(17);
    items[0] = prefix;
    items[1] = call;
    items[2] = suffix;
    items[11] = mode;
    items[13] = "2024/01/01";
    items[14] = time;
    items[16] = zone;
    return items;
  };
  const Case cases[] = {
      {rec("", "Q2BBB", "", "\"J\"", "CW", "09:30"), "<daytime>2024/01/01 09:30:00 JST</daytime>"},
      {rec("", "Q2BBB", "", "j", "CW", "09:30"), "<daytime>2024/01/01 09:30:00 UTC</daytime>"},
      {rec("", "Q2BBB", "", "JST", "CW", "09:30:15"), "<daytime>2024/01/01 09:30:15:00 UTC</daytime>"},
      {rec("", "Q2BBB", "", "", "CW", "0930"), "<daytime>2024/01/01 930:00 UTC</daytime>"},
      {rec("", "Q2BBB", "", "", "CW", ""), "<callsign>Q2BBB</callsign>"},
      {rec("KH0", "Q2BBB", "", "", "CW", ""), "<callsign>KH0/Q2BBB</callsign>"},
      {rec("KH0", "Q2BBB", "3", "", "CW", ""), "<callsign>KH0/Q2BBB/3</callsign>"},
      {rec("", "Q2BBB", "\"P\"", "", "CW", ""), "<callsign>Q2BBB/P</callsign>"},
      {rec("", "", "", "", "3", ""), "<callsign></callsign>\r\n<frequency>0</frequency>\r\n<mode>3</mode>"},
  };
  for (const Case& c : cases) EXPECT_NE(body(csv_record(c.items)).find(c.line), std::string::npos) << c.line;
}

TEST_F(Conversion, JapaneseRemarksPassAsTheSameBytes) {
  std::vector<std::string> items(34);
  items[33] = "\"" + sjis("ありがとう、また宜しく！ソ表") + "\"";  // "ソ" and "表" end in 0x5C
  items[25] = sjis("八木 ３エレ");
  EXPECT_NE(body(csv_record(items)).find("<qsl_remarks>" + sjis("ありがとう、また宜しく！ソ表") + "</qsl_remarks>\r\n<qsl_rig>" + sjis("八木 ３エレ")),
            std::string::npos);
}

TEST_F(Conversion, TwoThousandRecordsAreReadAndOneMoreFailsEvenWhenDropped) {
  std::string csv;
  for (int i = 0; i < 2000; ++i) csv += testing::example_record();
  write_file(settings.csv_path, csv);
  read_log(settings.csv_path, log);
  EXPECT_EQ(log.log_count, 2000);

  std::vector<std::string> dropped(30);
  dropped[29] = "N";
  write_file(settings.csv_path, csv + csv_record(dropped));
  try {
    read_log(settings.csv_path, log);
    FAIL() << "2001 records read";
  } catch (const Error& e) {
    EXPECT_EQ(e.utf8(), "ログのレコードが2000件を超えています: " + settings.csv_path + " (レコード 2001)");
  }
}

TEST_F(Conversion, FailuresNameTheirPlaceAndLeaveThePreviousDocument) {
  const std::string good = testing::example_record();
  auto with = [](std::size_t field, const std::string& item) {
    std::vector<std::string> items(field);
    items[field - 1] = item;
    return csv_record(items);
  };
  const std::string csv = dir.file("tarnis.csv"), xml = dir.file("qsoupdata.xml");
  struct Case {
    std::string log, xml_path, message;  // message in UTF-8, the paths after it
  };
  const Case cases[] = {
      {good + with(9, "\"S9\""), xml, "ログの値を整数に変換できません: " + csv + " (レコード 2、項目 9、値 \"S9\")"},
      {good + good + with(13, "\"\""), xml, "ログの値を整数に変換できません: " + csv + " (レコード 3、項目 13、値 \"\")"},
      {with(10, "32767.5"), xml, "ログの値を整数に変換できません: " + csv + " (レコード 1、項目 10、値 \"32767.5\")"},
      {with(11, "-32769"), xml, "ログの値を整数に変換できません: " + csv + " (レコード 1、項目 11、値 \"-32769\")"},
      {good + ",,,", xml, "ログファイルがレコードの途中で終わっています: " + csv + " (レコード 2、35項目に足りません)"},
      {good, "", "出力ファイルを作成できません: "},
      {good, dir.file("no/such/folder/out.xml"), "出力ファイルを作成できません: " + dir.file("no/such/folder/out.xml")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    write_file(xml, "previous");
    write_file(csv, c.log);
    settings.csv_path = csv;
    settings.xml_path = c.xml_path;
    try {
      read_log(settings.csv_path, log);
      koushin(log, head(), settings.xml_path, clock, kXmlDeclaration);
      ADD_FAILURE() << "no failure";
    } catch (const Error& e) {
      EXPECT_EQ(e.utf8(), c.message);
    }
    EXPECT_EQ(read_file(xml), "previous");
  }
  // Field 11 is read before field 9 of the same record.
  std::vector<std::string> two_bad(11);
  two_bad[8] = "x";
  two_bad[10] = "y";
  write_file(csv, csv_record(two_bad));
  settings.xml_path = xml;
  read_log(csv, log);
  try {
    koushin(log, head(), xml, clock, kXmlDeclaration);
    ADD_FAILURE() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(e.utf8(), "ログの値を整数に変換できません: " + csv + " (レコード 1、項目 11、値 \"y\")");
  }
  try {
    read_log(dir.file("missing.csv"), log);
    ADD_FAILURE() << "no failure";
  } catch (const Error& e) {
    EXPECT_EQ(e.utf8(), "ログファイルを開けません: " + dir.file("missing.csv"));
  }
  // Nothing but the two files of the test is left in the folder.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 2);
}

}  // namespace
}  // namespace quillon

// The command line's catalog as the programs hold it: every text of the
// command table has a Japanese entry, with the values it puts in; and a
// catalog damaged or of the other byte order is read safely.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <regex>
#include <set>

#include "catalog.h"
#include "command_table.h"
#include "platform/messages.h"

namespace quillon {
namespace {

using platform::MoCatalog;

// "{1}", "{n}" ... of TEXT.
std::multiset<std::string> marks(const std::string& text) {
  std::multiset<std::string> out;
  const std::regex mark(R"(\{[1-9n]\})");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), mark); it != std::sregex_iterator(); ++it)
    out.insert(it->str());
  return out;
}

TEST(Catalog, TheHeaderIsNoTranslation) {
  const MoCatalog japanese{std::string(cli::japanese_catalog())};
  EXPECT_EQ(japanese.find("", 0), nullptr);
  platform::use_catalog(std::string(cli::japanese_catalog()));
  EXPECT_STREQ(platform::translate(""), "");
  EXPECT_STREQ(platform::translate("done"), "完了");
}

TEST(Catalog, EveryTextOfTheTableHasAJapaneseEntry) {
  const MoCatalog japanese{std::string(cli::japanese_catalog())};
  std::vector<std::string_view> texts;
  for (const cli::CommandSpec& c : cli::command_table()) {
    texts.insert(texts.end(), {c.summary, c.about});
    for (const cli::OptionSpec& o : c.options) texts.push_back(o.help);
  }
  for (const cli::ExitSpec& e : cli::exit_table()) texts.push_back(e.meaning);
  for (const cli::FileSpec& f : cli::file_table()) texts.push_back(f.about);
  for (std::string_view text : texts) {
    const char* found = japanese.find(text.data(), 0);
    ASSERT_NE(found, nullptr) << "no Japanese entry for \"" << text << "\"";
    EXPECT_EQ(marks(found), marks(std::string(text))) << text;
  }
}

// A .mo of ENTRIES (KEY, its translation), in this machine's byte order or the other.
std::string mo(const std::vector<std::pair<std::string, std::string>>& entries, bool swapped) {
  const auto word = [swapped](std::uint32_t w) {
    if (swapped) w = (w >> 24) | ((w >> 8) & 0xff00) | ((w << 8) & 0xff0000) | (w << 24);
    std::string out(4, '\0');
    std::memcpy(out.data(), &w, 4);
    return out;
  };
  const auto n = static_cast<std::uint32_t>(entries.size());
  const std::string head = word(0x950412de) + word(0) + word(n) + word(28) + word(28 + 8 * n) + word(0) + word(0);
  std::uint32_t at = 28 + 16 * n;
  std::string keys, values, strings;
  for (int pass = 0; pass < 2; ++pass)
    for (const auto& [key, value] : entries) {
      const std::string& s = pass == 0 ? key : value;
      (pass == 0 ? keys : values) += word(static_cast<std::uint32_t>(s.size())) + word(at);
      strings += s + '\0';
      at += static_cast<std::uint32_t>(s.size()) + 1;
    }
  return head + keys + values + strings;
}

TEST(Catalog, ReadWhereverItWasWrittenAndSafelyWhenDamaged) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"done", "完了"}, {"time", "日時"}, {std::string("{n} contact\0{n} contacts", 24), "{n}件"}};  // sorted
  for (bool swapped : {false, true}) {
    const MoCatalog catalog(mo(entries, swapped));
    EXPECT_STREQ(catalog.find("done", 0), "完了") << swapped;
    EXPECT_STREQ(catalog.find("time", 0), "日時") << swapped;
    EXPECT_STREQ(catalog.find("{n} contact", 0), "{n}件") << swapped;
    EXPECT_EQ(catalog.find("{n} contact", 1), nullptr) << "Japanese has one form";
    EXPECT_EQ(catalog.find("dona", 0), nullptr);
    EXPECT_EQ(catalog.find("zzz", 0), nullptr);
    EXPECT_EQ(catalog.find("", 0), nullptr);
  }
  const std::string whole = mo(entries, false);
  // Cut anywhere, or with its magic or a string's offset broken: nothing found, nothing read past the end.
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const MoCatalog cut(whole.substr(0, size));
    const char* found = cut.find("time", 0);
    EXPECT_TRUE(found == nullptr || std::strcmp(found, "日時") == 0) << size;
  }
  std::string bad_magic = whole;
  bad_magic[0] = 'x';
  EXPECT_EQ(MoCatalog(bad_magic).find("done", 0), nullptr);
  std::string far_offset = whole;
  far_offset[28 + 8 + 4 + 3] = '\x7f';  // the second key's offset
  EXPECT_EQ(MoCatalog(far_offset).find("time", 0), nullptr);
}

}  // namespace
}  // namespace quillon

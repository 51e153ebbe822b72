// What makes two contacts one for the duplicate check, on a real database
// file, beyond the contact's own fields (tests/data/cli/only-new-identity.txt):
// who sent it, where, and whether that run ended well.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/history.h"
#include "app/history_contacts.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "support/system.h"

namespace quillon {
namespace {

struct Query {
  HistoryEntry run{"2026-01-01T00:00:00+09:00", "/log/x.qso", "h", 21, 1, 10, "", "ok", 0, "226", 0, "Q1AAA", "active"};
  DocumentContact contact{1, 1, "JA1ZZZ/1", "JA1ZZZ", "2026/11/28 21:15:00 JST", "7", "SSB", "73"};
  std::string host = "h", uploader = "Q1AAA";
  int port = 21;
};

TEST(History, AContactIsWhatTheServiceSeesOfItAtOneServer) {
  struct Case {
    const char* what;
    std::function<void(Query&)> change;  // to what is asked; the run's, to the run recorded
    bool sent;
  };
  const Case cases[] = {
      {"the same", [](Query&) {}, true},
      {"another record and line", [](Query& q) { q.contact.record = q.contact.line = 9; }, true},
      {"another uploader", [](Query& q) { q.uploader = "Q1AAB"; }, false},
      // Moved in: GCC 12 for MinGW warns of an overlap that is not there when one character is assigned.
      {"another host", [](Query& q) { q.host = std::string("H"); }, false},
      {"another port", [](Query& q) { q.port = 2121; }, false},
      {"a run that failed, once it began to store", [](Query& q) { q.run.outcome = "store"; }, false},
      {"a run that never began to store",
       [](Query& q) {
         q.run.outcome.clear();
         q.run.mode.clear();
       },
       false},
      {"a run that never ended once it began to store", [](Query& q) { q.run.outcome.clear(); }, true},
      // Texts that run on into the next field make another contact.
      {"the daytime's end the callsign's start",
       [](Query& q) {
         q.contact.daytime += "J";
         q.contact.callsign.erase(0, 1);
       },
       false},
      {"the frequency's end the mode's start",
       [](Query& q) {
         q.contact.frequency += "S";
         q.contact.mode.erase(0, 1);
       },
       false},
  };
  for (const Case& c : cases) {
    testing::TempDir dir;
    Query recorded, asked;
    c.change(asked);
    recorded.run = asked.run;
    History history(dir.file("h.sqlite"), History::Mode::Write);
    history.add_run(recorded.run, {recorded.contact});
    EXPECT_EQ(history.sent(asked.host, asked.port, asked.uploader, "", {asked.contact}).count(), c.sent ? 1u : 0u)
        << c.what;
  }
}

// Each run opens the history afresh, as each program does, and every opening
// reads the whole log beside the file: the runs that take it past 1 MB put it
// back into the file and cut it to nothing, and what they wrote still answers.
TEST(History, TheLogBesideItStaysShort) {
  testing::TempDir dir;
  const std::string file = dir.file(kHistoryFile);
  Query q;
  std::vector<DocumentContact> contacts(2000, q.contact);
  for (std::size_t i = 0; i < contacts.size(); ++i) contacts[i].callsign += std::to_string(i);
  long long longest = 0, shortest = -1;
  for (int run = 1; run <= 12; ++run) {
    // An upload writes through the connection that looked the history up.
    History history(file, run == 1 ? History::Mode::Write : History::Mode::Read);
    ASSERT_TRUE(history.writable());
    history.end_run(history.add_run(q.run, contacts), q.run);
    const long long size = platform::file_size(file + "-wal");
    longest = std::max(longest, size);
    shortest = shortest < 0 ? size : std::min(shortest, size);
  }
  EXPECT_LT(longest, 1200 * 1024);  // 1 MB and the run that passed it
  EXPECT_EQ(shortest, 0);
  History history(file, History::Mode::Read);
  EXPECT_EQ(history.runs().size(), 12u);
  EXPECT_EQ(history.sent(q.host, q.port, q.uploader, "", contacts).count(), contacts.size());
}

// The run whose upload holds the lock reads as under way; any other that
// never ended, before or after it, as interrupted.
TEST(History, UnderWayOnlyWhileItsUploadHoldsTheLock) {
  testing::TempDir dir;
  const std::string file = dir.file(kHistoryFile);
  Query q;
  History history(file, History::Mode::Write);
  q.run.outcome.clear();
  history.add_run(q.run);                            // 1: killed long ago
  const std::int64_t mine = history.add_run(q.run);  // 2: the one under way
  q.run.outcome = "ok";
  history.add_run(q.run);
  q.run.outcome.clear();
  history.add_run(q.run);  // 4: killed too
  const auto outcomes = [&] {
    std::string out;
    for (const HistoryEntry& e : history.runs(std::nullopt, run_under_way(dir.path().string()))) out += e.outcome + ";";
    return out;
  };
  EXPECT_EQ(outcomes(), "interrupted;interrupted;ok;interrupted;");
  {
    platform::FileLock::Result taken;
    const auto lock = platform::FileLock::try_take(upload_lock_file(dir.path().string()), taken);
    ASSERT_TRUE(lock);
    EXPECT_EQ(outcomes(), "interrupted;interrupted;ok;interrupted;");  // held, no run noted yet
    lock->note(std::to_string(mine));
    EXPECT_EQ(outcomes(), "interrupted;under way;ok;interrupted;");
    EXPECT_EQ(history.runs(1, mine).front().outcome, kInterrupted);  // the latest alone
  }
  EXPECT_EQ(outcomes(), "interrupted;interrupted;ok;interrupted;");  // its process gone
}

// The newest name at one destination, whatever the run's outcome; none elsewhere.
TEST(History, NewestRemoteNameAtOneDestination) {
  testing::TempDir dir;
  History history(dir.file(kHistoryFile), History::Mode::Write);
  Query q;
  EXPECT_EQ(history.newest_remote_name("h", 21), "");
  history.add_run(q.run);
  q.run.remote_name = "/log/b.qso";
  q.run.outcome = "store";
  history.add_run(q.run);
  q.run.remote_name = "";  // never got as far as a name
  history.add_run(q.run);
  q.run.remote_name = "/log/c.qso";
  q.run.port = 2121;
  history.add_run(q.run);
  EXPECT_EQ(history.newest_remote_name("h", 21), "/log/b.qso");
  EXPECT_EQ(history.newest_remote_name("h", 2121), "/log/c.qso");
  EXPECT_EQ(history.newest_remote_name("H", 21), "");
}

// The mode the next upload starts in: the newest ok run's there, a forced
// one left aside.
TEST(History, RememberedModeIsTheNewestOkUnforcedRunsAtOneServer) {
  testing::TempDir dir;
  History history(dir.file(kHistoryFile), History::Mode::Write);
  Query q;
  struct Step {
    const char* mode;
    const char* outcome;
    bool forced;
    const char* then;
  };
  const Step steps[] = {{"active", "ok", false, "active"},     {"passive", "ok", false, "passive"},
                        {"active", "store", false, "passive"}, {"active", "ok", true, "passive"},
                        {"", "ok", false, "passive"},          {"active", "ok", false, "active"}};
  EXPECT_EQ(history.remembered_mode("h", 21), "");
  for (const Step& step : steps) {
    q.run.mode = step.mode;
    q.run.outcome = step.outcome;
    q.run.mode_forced = step.forced;
    history.add_run(q.run);
    EXPECT_EQ(history.remembered_mode("h", 21), step.then) << step.mode << " " << step.outcome << " " << step.forced;
  }
  EXPECT_EQ(history.remembered_mode("h", 2121), "");
  EXPECT_EQ(history.remembered_mode("H", 21), "");
}

// A run's contacts come back as they went in (texts as UTF-8), whatever bytes
// their texts hold; a damaged form is said to be damaged.
TEST(History, ContactsKeepTheirTextsWhateverTheyHold) {
  struct Case {
    const char* what;
    std::string remarks;   // CP932 as the log holds it
    std::string expected;  // UTF-8 as the history gives it back
  };
  const Case cases[] = {
      {"plain", "TNX 73", "TNX 73"},
      {"quotes and backslashes", "say \"hi\" \\o/", "say \"hi\" \\o/"},
      {"control characters", "a\tb\x01c\x1f", "a\tb\x01c\x1f"},
      {"Japanese", "\x82\xA0\x82\xE8\x82\xAA\x82\xC6\x82\xA4", "ありがとう"},
      {"bytes that are no CP932", "x\x85\x40y", "x\xEF\xBF\xBD@y"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    testing::TempDir dir;
    Query q;
    q.contact.remarks = c.remarks;
    q.contact.call = "W1AW";
    {
      History history(dir.file("h.sqlite"), History::Mode::Write);
      history.add_run(q.run, {q.contact, q.contact});
    }
    History history(dir.file("h.sqlite"), History::Mode::Read);
    const std::vector<ContactInRun> found = history.contacts_with("w1aw");
    ASSERT_EQ(found.size(), 2u) << c.what;
    EXPECT_EQ(found[0].contact.remarks, c.expected) << c.what;
    EXPECT_EQ(found[1].contact.callsign, q.contact.callsign) << c.what;
  }
  for (const char* damaged :
       {"", "[", "[[1,1,\"a\",\"W1AW\",\"d\",\"f\",\"m\"]]", "[[1,1,\"a\",\"W1AW\",\"d\",\"f\",\"m\",\"r]]",
        "[[1,1,\"a\",\"W1AW\",\"d\",\"f\",\"m\",\"\\q\"]]", "[]x"}) {
    SCOPED_TRACE(damaged);
    try {
      history_form::read_contacts(damaged, [](std::string_view) { return true; });
      ADD_FAILURE() << "read";
    } catch (const Error& e) {
      EXPECT_TRUE(quillon::damaged(e));
    }
  }
  EXPECT_EQ(history_form::read_contacts("[[1,2,\"a\\u00e9\",\"W1AW\",\"d\",\"f\",\"m\",\"\\n\\/\"]]",
                                        [](std::string_view) { return true; })[0]
                .remarks,
            "\n/");
}

}  // namespace
}  // namespace quillon

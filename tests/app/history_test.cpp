// What makes two contacts one for the duplicate check, on a real database
// file: the service's view of the contact, who sent it, where, and whether
// that run ended well. The log fingerprint stays FNV-1a as published, since
// histories taken over from an earlier version are compared by it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include "app/history.h"
#include "platform/file_lock.h"
#include "support/system.h"

namespace quillon {
namespace {

TEST(History, FingerprintIsFnv1a64) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "cbf29ce484222325"}, {"a", "af63dc4c8601ec8c"}, {"foobar", "85944171f73967e8"}};
  for (const auto& [bytes, want] : cases) EXPECT_EQ(fnv1a_hex(bytes), want) << '"' << bytes << '"';
}

struct Query {
  HistoryEntry run{"2026-01-01T00:00:00+09:00", "/log/x.qso", "h", 21, 1, 10, "", "ok", 0, "226", 0, "Q1AAA", "active"};
  DocumentContact contact{1, 1, "JA1ZZZ/1", "JA1ZZZ", "2026/11/28 21:15:00 JST", "7", "SSB", "73"};
  std::string host = "h", uploader = "Q1AAA";
  int port = 21;
};

TEST(History, AContactIsWhatTheServiceSeesOfItAtOneServer) {
  struct Case {
    const char* what;
    std::function<void(Query&)> change;  // to what is asked; an outcome, to the run recorded
    bool sent;
  };
  const Case cases[] = {
      {"the same", [](Query&) {}, true},
      {"other remarks", [](Query& q) { q.contact.remarks = "TNX"; }, true},
      {"another record and line", [](Query& q) { q.contact.record = q.contact.line = 9; }, true},
      {"another callsign", [](Query& q) { q.contact.callsign = "JA1ZZZ"; }, false},
      {"another time", [](Query& q) { q.contact.daytime = "2026/11/28 21:15:00 UTC"; }, false},
      {"another frequency", [](Query& q) { q.contact.frequency = "14"; }, false},
      {"another mode", [](Query& q) { q.contact.mode = "CW"; }, false},
      {"another uploader", [](Query& q) { q.uploader = "Q1AAB"; }, false},
      // Moved in: GCC 12 for MinGW warns of an overlap that is not there when one character is assigned.
      {"another host", [](Query& q) { q.host = std::string("H"); }, false},
      {"another port", [](Query& q) { q.port = 2121; }, false},
      {"a run that failed", [](Query& q) { q.run.outcome = "store"; }, false},
      {"a run that never ended", [](Query& q) { q.run.outcome.clear(); }, false},
  };
  for (const Case& c : cases) {
    testing::TempDir dir;
    Query recorded, asked;
    c.change(asked);
    recorded.run.outcome = asked.run.outcome;
    History history(dir.file("h.sqlite"), History::Mode::Write);
    history.add_run(recorded.run, {recorded.contact});
    EXPECT_EQ(history.sent(asked.host, asked.port, asked.uploader, "", {asked.contact}).count(), c.sent ? 1u : 0u)
        << c.what;
  }
}

TEST(History, TheNewestRunThatCarriedAContactAnswers) {
  testing::TempDir dir;
  History history(dir.file("h.sqlite"), History::Mode::Write);
  Query q;
  const std::int64_t first = history.add_run(q.run, {q.contact});
  q.run.started = "2026-02-01T00:00:00+09:00";
  const std::int64_t second = history.add_run(q.run, {q.contact});
  const SentContacts found = history.sent("h", 21, "Q1AAA", "", {q.contact});
  ASSERT_EQ(found.run_of, std::vector<std::int64_t>{second});
  EXPECT_EQ(found.runs.at(second).started, "2026-02-01T00:00:00+09:00");
  EXPECT_NE(first, second);
}

TEST(History, Cp932TextsAreKeptAndFoundAsUtf8) {
  testing::TempDir dir;
  History history(dir.file("h.sqlite"), History::Mode::Write);
  Query q;
  q.contact.call = q.contact.callsign = "\x83\x65\x83\x58\x83\x67";  // テスト
  q.contact.remarks = "\x82\xa0\x82\xe8\x82\xaa\x82\xc6\x82\xa4";    // ありがとう
  history.add_run(q.run, {q.contact});
  const std::vector<ContactInRun> found = History(dir.file("h.sqlite"), History::Mode::Read).contacts_with("テスト");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].contact.callsign, "テスト");
  EXPECT_EQ(found[0].contact.remarks, "ありがとう");
  EXPECT_EQ(history.sent("h", 21, "Q1AAA", "", {q.contact}).count(), 1u);
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

// A file an earlier version wrote: read as it is, without a write; made the
// new version by the first run that writes.
TEST(History, AVersion1FileIsReadAsItIsAndTakenOverByAWrite) {
  testing::TempDir dir;
  const std::string path = dir.file(kHistoryFile);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const auto user_version = [&] {
    int v = -1;
    sqlite3_exec(
        db, "PRAGMA user_version",
        [](void* out, int, char** row, char**) { return *static_cast<int*>(out) = std::atoi(row[0]), 0; }, &v, nullptr);
    return v;
  };
  ASSERT_EQ(
      sqlite3_exec(db,
                   "CREATE TABLE runs (id INTEGER PRIMARY KEY, started TEXT NOT NULL, remote_name TEXT NOT NULL, "
                   "host TEXT NOT NULL, port INTEGER NOT NULL, records INTEGER NOT NULL, bytes INTEGER NOT NULL, "
                   "log_fnv1a TEXT NOT NULL, outcome TEXT, error INTEGER NOT NULL, reply TEXT NOT NULL, "
                   "elapsed_s REAL NOT NULL, uploader TEXT NOT NULL, contacts_kept INTEGER NOT NULL DEFAULT 1);"
                   "CREATE TABLE contacts (run INTEGER NOT NULL REFERENCES runs(id), record INTEGER NOT NULL, "
                   "line INTEGER NOT NULL, callsign TEXT NOT NULL, call TEXT NOT NULL, daytime TEXT NOT NULL, "
                   "frequency TEXT NOT NULL, mode TEXT NOT NULL, remarks TEXT NOT NULL);"
                   "CREATE INDEX contacts_seen ON contacts(daytime, callsign);"
                   "INSERT INTO runs VALUES (1, 't', '/log/a.qso', 'h', 21, 1, 10, '', 'ok', 0, '226', 0, 'Q1AAA', 1);"
                   "PRAGMA user_version = 1;",
                   nullptr, nullptr, nullptr),
      SQLITE_OK);
  {
    History read(path, History::Mode::Read);
    const std::vector<HistoryEntry> runs = read.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].remote_name, "/log/a.qso");
    EXPECT_EQ(runs[0].mode, "");
    EXPECT_FALSE(runs[0].fell_back);
    EXPECT_EQ(read.remembered_mode("h", 21), "");
  }
  EXPECT_EQ(user_version(), 1);
  {
    History write(path, History::Mode::Write);
    Query q;
    q.run.mode = "passive";
    q.run.fell_back = true;
    write.add_run(q.run);
    const std::vector<HistoryEntry> runs = write.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].mode, "");
    EXPECT_EQ(runs[1].mode, "passive");
    EXPECT_TRUE(runs[1].fell_back);
    EXPECT_EQ(write.remembered_mode("h", 21), "passive");
  }
  EXPECT_EQ(user_version(), 2);
  sqlite3_close(db);
}

}  // namespace
}  // namespace quillon

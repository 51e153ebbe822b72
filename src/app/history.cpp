#include "app/history.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "app/history_contacts.h"
#include "platform/cp932.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sqlite_api.h"
#include "platform/test_switch.h"

namespace quillon {
namespace {

// Looked up once the history is first opened (History's constructor checks it).
const platform::SqliteApi& sq() { return *platform::sqlite_api(); }

}  // namespace

nlohmann::ordered_json to_json(const HistoryEntry& e) {
  return {{"started", e.started},     {"remote_name", e.remote_name}, {"host", e.host},
          {"port", e.port},           {"records", e.records},         {"bytes", e.bytes},
          {"log_fnv1a", e.log_fnv1a}, {"outcome", e.outcome},         {"error", e.error},
          {"reply", e.reply},         {"elapsed_s", e.elapsed_s},     {"mode", e.mode},
          {"fell_back", e.fell_back}};
}

std::string json_line(const nlohmann::ordered_json& object) {
  return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<HistoryEntry> parse_history_line(std::string_view line) {
  const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return std::nullopt;
  try {
    HistoryEntry e{j.at("started").get<std::string>(),
                   j.at("remote_name").get<std::string>(),
                   j.at("host").get<std::string>(),
                   j.at("port").get<int>(),
                   j.at("records").get<int>(),
                   j.at("bytes").get<long long>(),
                   j.at("log_fnv1a").get<std::string>(),
                   j.at("outcome").get<std::string>(),
                   j.at("error").get<std::uint32_t>(),
                   j.at("reply").get<std::string>(),
                   j.at("elapsed_s").get<double>(),
                   {},
                   {},
                   false,
                   false};
    const bool known = e.outcome == "ok" || std::find_if(std::begin(kStages), std::end(kStages), [&](const char* s) {
                                              return e.outcome == s;
                                            }) != std::end(kStages);
    if (known) return e;
  } catch (const nlohmann::json::exception&) {
  }
  return std::nullopt;
}

std::string history_path() { return platform::settings_folder() + platform::kPathSeparator + kHistoryFile; }

std::string upload_lock_file(const std::string& folder) { return folder + platform::kPathSeparator + kUploadLockFile; }

std::int64_t run_under_way(const std::string& folder) {
  const std::optional<std::string> note = platform::FileLock::holder_note(upload_lock_file(folder));
  std::int64_t id = 0;
  if (note) std::from_chars(note->data(), note->data() + note->size(), id);
  return id;
}

std::size_t SentContacts::count() const {
  return static_cast<std::size_t>(std::count_if(run_of.begin(), run_of.end(), [](std::int64_t id) { return id != 0; }));
}

namespace {

// user_version 3. 2 kept a row a contact in a table of its own, indexed by
// daytime and callsign, and 1 had no mode, fell_back, mode_forced. A run's
// contacts_kept is 0 when it came from uploads.jsonl; its contacts and keys
// are as history_contacts.h says, in a row of run_contacts when it carried
// any: apart, so that writing a run's end rewrites a page, not its contacts.
constexpr const char* kSchema = R"(
CREATE TABLE runs (
  id INTEGER PRIMARY KEY,
  started TEXT NOT NULL,
  remote_name TEXT NOT NULL,
  host TEXT NOT NULL,
  port INTEGER NOT NULL,
  records INTEGER NOT NULL,
  bytes INTEGER NOT NULL,
  log_fnv1a TEXT NOT NULL,
  outcome TEXT,
  error INTEGER NOT NULL,
  reply TEXT NOT NULL,
  elapsed_s REAL NOT NULL,
  uploader TEXT NOT NULL,
  contacts_kept INTEGER NOT NULL DEFAULT 1,
  mode TEXT NOT NULL DEFAULT '',
  fell_back INTEGER NOT NULL DEFAULT 0,
  mode_forced INTEGER NOT NULL DEFAULT 0,
  first_daytime TEXT,
  last_daytime TEXT);
CREATE TABLE run_contacts (run INTEGER PRIMARY KEY, keys BLOB NOT NULL, contacts TEXT NOT NULL);
PRAGMA user_version = 3;
)";
constexpr int kVersion = 3;
constexpr const char* kModeColumns =
    "ALTER TABLE runs ADD COLUMN mode TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE runs ADD COLUMN fell_back INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE runs ADD COLUMN mode_forced INTEGER NOT NULL DEFAULT 0;";
// The keys before the contacts: a row's columns are read in order, and the
// duplicate check reads the keys of every run sent.
constexpr const char* kContactTable =
    "CREATE TABLE run_contacts (run INTEGER PRIMARY KEY, keys BLOB NOT NULL, contacts TEXT NOT NULL);";
constexpr const char* kContactColumns =
    "ALTER TABLE runs ADD COLUMN first_daytime TEXT;"
    "ALTER TABLE runs ADD COLUMN last_daytime TEXT;";

constexpr const char* kRunColumns =
    "r.started, r.remote_name, r.host, r.port, r.records, r.bytes, r.log_fnv1a, r.outcome, r.error, r.reply, "
    "r.elapsed_s, r.uploader, r.mode, r.fell_back, r.mode_forced";

std::string utf8(std::string_view cp932) { return cp932::to_utf8_lossy(cp932); }

// SQLite says what went wrong in UTF-8; the error's text is CP932.
[[noreturn]] void history_failed(std::string_view utf8_text, int code) {
  throw Error(Failed::History, cp932::from_utf8_or_as_is(utf8_text), static_cast<std::uint32_t>(code));
}

}  // namespace

struct History::Db {
  sqlite3* handle = nullptr;
  std::string path;
  ~Db() {
    if (handle) sq().close(handle);
  }
  [[noreturn]] void fail() const { history_failed(sq().errmsg(handle), sq().errcode(handle) & 0xff); }
  void check(int rc) const {
    if (rc != SQLITE_OK) fail();
  }
  void exec(const char* sql) const { check(sq().exec(handle, sql, nullptr, nullptr, nullptr)); }
};

namespace {

class Statement {
 public:
  Statement(const History::Db& db, const std::string& sql) : db_(db) {
    db.check(sq().prepare_v2(db.handle, sql.c_str(), -1, &s_, nullptr));
  }
  ~Statement() { sq().finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Bound without a copy: the text must stand until the step that reads it.
  Statement& bind(int i, std::string_view text) {
    db_.check(sq().bind_text(s_, i, text.data(), static_cast<int>(text.size()), SQLITE_STATIC));
    return *this;
  }
  Statement& bind(int i, std::int64_t value) {
    db_.check(sq().bind_int64(s_, i, value));
    return *this;
  }
  Statement& bind(int i, double value) {
    db_.check(sq().bind_double(s_, i, value));
    return *this;
  }
  Statement& bind_blob(int i, std::string_view bytes) {
    db_.check(sq().bind_blob(s_, i, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC));
    return *this;
  }
  // True with a row to read, false when done.
  bool step() {
    const int rc = sq().step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) db_.fail();
    return false;
  }
  // For the next row; every reuse binds all its values again.
  void reset() { sq().reset(s_); }
  std::string text(int col) const {
    const auto* p = reinterpret_cast<const char*>(sq().column_text(s_, col));
    return p ? std::string(p, static_cast<std::size_t>(sq().column_bytes(s_, col))) : std::string();
  }
  // Valid until the next step or reset.
  std::string_view blob(int col) const {
    const auto* p = static_cast<const char*>(sq().column_blob(s_, col));
    return p ? std::string_view(p, static_cast<std::size_t>(sq().column_bytes(s_, col))) : std::string_view();
  }
  std::int64_t integer(int col) const { return sq().column_int64(s_, col); }
  bool null(int col) const { return sq().column_type(s_, col) == SQLITE_NULL; }

  // A run's columns, as kRunColumns lists them, from `col` on.
  HistoryEntry run(int col) const {
    return {text(col),
            text(col + 1),
            text(col + 2),
            static_cast<int>(integer(col + 3)),
            static_cast<int>(integer(col + 4)),
            integer(col + 5),
            text(col + 6),
            null(col + 7) ? kInterrupted : text(col + 7),
            static_cast<std::uint32_t>(integer(col + 8)),
            text(col + 9),
            sq().column_double(s_, col + 10),
            text(col + 11),
            text(col + 12),
            integer(col + 13) != 0,
            integer(col + 14) != 0};
  }

 private:
  const History::Db& db_;
  sqlite3_stmt* s_ = nullptr;
};

// Ends with COMMIT, or rolls back when left by an exception.
class Transaction {
 public:
  Transaction(const History::Db& db, const char* begin) : db_(db) { db.exec(begin); }
  ~Transaction() {
    if (!done_) sq().exec(db_.handle, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void commit() {
    db_.exec("COMMIT");
    done_ = true;
  }

 private:
  const History::Db& db_;
  bool done_ = false;
};

void bind_run(Statement& s, const HistoryEntry& e) {
  s.bind(1, e.started).bind(2, e.remote_name).bind(3, e.host).bind(4, std::int64_t{e.port});
  s.bind(5, std::int64_t{e.records}).bind(6, std::int64_t{e.bytes}).bind(7, e.log_fnv1a);
  if (!e.outcome.empty()) s.bind(8, e.outcome);
  s.bind(9, std::int64_t{e.error}).bind(10, e.reply).bind(11, e.elapsed_s).bind(12, e.uploader);
  s.bind(14, e.mode).bind(15, std::int64_t{e.fell_back}).bind(16, std::int64_t{e.mode_forced});
}

constexpr const char* kInsertRun =
    "INSERT INTO runs (started, remote_name, host, port, records, bytes, log_fnv1a, outcome, error, reply, "
    "elapsed_s, uploader, contacts_kept, mode, fell_back, mode_forced, first_daytime, last_daytime) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)";
constexpr const char* kInsertContacts = "INSERT INTO run_contacts (run, keys, contacts) VALUES (?1, ?2, ?3)";

// Versions 1 and 2 as 3: each run's rows of contacts folded into its own row,
// in the transaction that the caller commits.
void upgrade(const History::Db& db, std::int64_t have) {
  if (have == 1) db.exec(kModeColumns);
  db.exec(kContactColumns);
  db.exec(kContactTable);
  Statement rows(db,
                 "SELECT run, record, line, callsign, call, daytime, frequency, mode, remarks FROM contacts "
                 "ORDER BY run, record");
  Statement span(db, "UPDATE runs SET first_daytime = ?2, last_daytime = ?3 WHERE id = ?1");
  Statement put(db, kInsertContacts);
  std::int64_t run = 0;
  history_form::RunContacts carried;
  auto flush = [&] {
    if (run == 0) return;
    put.bind(1, run).bind_blob(2, carried.keys()).bind(3, carried.json()).step();
    put.reset();
    span.bind(1, run).bind(2, carried.span().first).bind(3, carried.span().last).step();
    span.reset();
    carried = {};
  };
  while (rows.step()) {
    if (rows.integer(0) != run) {
      flush();
      run = rows.integer(0);
    }
    carried.add_kept({static_cast<int>(rows.integer(1)), static_cast<int>(rows.integer(2)), rows.text(3), rows.text(4),
                      rows.text(5), rows.text(6), rows.text(7), rows.text(8)});
  }
  flush();
  db.exec("DROP TABLE contacts; PRAGMA user_version = 3;");
}

// The first files of version 3 kept a run's contacts in its own row: read
// through a view of the table they have since, moved to it by the first write.
constexpr const char* kContactsInRuns = "SELECT id, keys, contacts FROM runs WHERE keys IS NOT NULL";

bool contacts_in_runs(const History::Db& db) {
  Statement table(db, "SELECT 1 FROM sqlite_master WHERE name = 'run_contacts'");
  return !table.step();
}

std::int64_t user_version(const History::Db& db) {
  Statement version(db, "PRAGMA user_version");
  version.step();
  return version.integer(0);
}

// The tables, and the runs of an uploads.jsonl beside the file, once.
// True when it took an older version over.
bool create_tables(const History::Db& db, const std::string& path) {
  Transaction t(db, "BEGIN IMMEDIATE");
  const std::int64_t have = user_version(db);
  if (have > kVersion) throw Error(Failed::History, path + " was written by a newer Quillon");
  const bool taken_over = have == 1 || have == 2;
  if (taken_over) {
    upgrade(db, have);
    // A test's stand-in for a kill or a power loss before the file is version 3.
    if (platform::test_switch("die-upgrading")) std::_Exit(9);
  }
  if (have == kVersion && contacts_in_runs(db)) {
    db.exec(kContactTable);
    db.exec((std::string("INSERT INTO run_contacts ") + kContactsInRuns +
             "; UPDATE runs SET keys = NULL, contacts = NULL WHERE keys IS NOT NULL;")
                .c_str());
    t.commit();
    return true;
  }
  if (have == 0) {
    db.exec(kSchema);
    const std::string jsonl = path.substr(0, path.rfind('.')) + ".jsonl";
    std::string data;
    if (platform::read_whole_file(jsonl, data)) {
      Statement insert(db, kInsertRun);
      for (std::string_view rest = data; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        if (const auto e = parse_history_line(rest.substr(0, end))) {
          bind_run(insert, *e);
          insert.bind(13, std::int64_t{0}).step();
          insert.reset();
        }
        rest.remove_prefix(end == rest.npos ? rest.size() : end + 1);
      }
    }
  }
  t.commit();
  return taken_over;
}

// The connection replaced by one to memory, holding a copy of the file or nothing.
void in_memory(History::Db& db, bool copy) {
  sqlite3* memory = nullptr;
  if (sq().open_v2(":memory:", &memory, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sq().close(memory);
    throw Error(Failed::History, "out of memory");
  }
  if (copy) {
    sqlite3_backup* backup = sq().backup_init(memory, "main", db.handle, "main");
    const int rc = backup ? sq().backup_step(backup, -1) : sq().errcode(memory);
    if (backup) sq().backup_finish(backup);
    if (rc != SQLITE_DONE) {
      sq().close(memory);
      db.fail();
    }
  }
  sq().close(db.handle);
  db.handle = memory;
}

// A run's record is one commit, not waited for; the mode it begins to store in,
// one more, synced (and the record with it) before the store; its end, one
// more not waited for (the record says "interrupted" if the power takes it).
// None waits for a checkpoint: the log beside the file takes them, 1 sync a run.
// Where the folder cannot share memory between programs (a network share),
// SQLite keeps its rollback journal and the run costs its syncs as before.
void write_ahead(const History::Db& db) {
  sq().exec(db.handle, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
  db.exec("PRAGMA synchronous = NORMAL; PRAGMA wal_autocheckpoint = 0");
}

// Every program that opens the history first reads the whole log beside it,
// and the next writer to come starts it afresh only if the checkpoint that
// emptied it was its own. So the log goes back into the file, and is cut to
// nothing, at the end of the run that takes it past some 6 runs (1 MB): 2
// syncs then, rather than reading it all (and checkpointing it all again)
// in every program after.
constexpr long long kLogBytesKept = 1 << 20;
constexpr int kBusyMs = 5000;  // another program's commit waited for

void checkpoint_if_long(const History::Db& db, const std::string& path) {
  if (platform::file_size(path + "-wal") < kLogBytesKept) return;
  // A reader holding the log keeps it as it is until a later run, rather than
  // hold this one up.
  sq().busy_timeout(db.handle, 0);
  sq().exec(db.handle, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
  sq().busy_timeout(db.handle, kBusyMs);
}

}  // namespace

History::History(const std::string& path, Mode mode) : db_(std::make_unique<Db>()) {
  db_->path = path;
  if (!platform::sqlite_api()) throw Error(Failed::History, "the history's SQLite module is missing");
  std::string read_only_disk;  // a test's stand-in for a disk mounted read-only
  const bool read_only = platform::test_failure("read-only-history", read_only_disk);
  const bool on_disk = mode == Mode::Write || platform::file_size(path) > 0;
  if (mode == Mode::Write && !read_only && !platform::create_if_missing(path))
    throw platform::file_error(Failed::History);
  // Readers too open for writing where they may: a journal beside the file is
  // a commit cut off (a run killed, the power lost), which only such a
  // connection plays back, and the memory shared with the write-ahead log
  // needs it (without it a reader reads the whole log). Neither changes what
  // the history holds.
  const int flags = read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (sq().open_v2(on_disk ? path.c_str() : ":memory:", &db_->handle, on_disk ? flags : SQLITE_OPEN_READWRITE,
                   nullptr) != SQLITE_OK) {
    if (!db_->handle) throw Error(Failed::History, "out of memory");
    db_->fail();
  }
  sq().busy_timeout(db_->handle, kBusyMs);
  sq().db_config(db_->handle, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  if (on_disk && mode == Mode::Read) {
    const std::int64_t have = user_version(*db_);
    if (have > kVersion) throw Error(Failed::History, path + " was written by a newer Quillon");
    if (have == kVersion) {
      if (!contacts_in_runs(*db_)) {
        writable_ = !read_only;
        return;
      }
      db_->exec((std::string("CREATE TEMP VIEW run_contacts (run, keys, contacts) AS ") + kContactsInRuns).c_str());
      return;
    }
    // An older file is read as it is: a copy in memory taken over, the file
    // untouched until a run writes. An empty one (made but never filled) reads
    // as a missing one.
    in_memory(*db_, have != 0);
    if (have != 0) {
      Transaction t(*db_, "BEGIN");
      upgrade(*db_, have);
      t.commit();
      return;
    }
  }
  // The pages of the contacts' old table given back, once: the file is then
  // smaller than before.
  if (create_tables(*db_, path) && mode == Mode::Write) db_->exec("VACUUM");
  if (mode == Mode::Write) {
    write_ahead(*db_);
    writable_ = writing_ = true;
  }
}

bool History::writable() {
  if (writable_ && !writing_) {
    write_ahead(*db_);
    writing_ = true;
  }
  return writable_;
}

History::~History() = default;

bool damaged(const Error& e) {
  const auto code = static_cast<int>(e.number());
  return e.failed() == Failed::History && (code == SQLITE_NOTADB || code == SQLITE_CORRUPT);
}

std::string set_aside_damaged(const std::string& path, const platform::LocalDateTime& now) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, ".damaged-%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day, now.hour,
                now.minute, now.second);
  std::string aside = path + stamp;
  // No rollback journal to take along: SQLite has played or dropped it before it
  // finds the damage. The write-ahead log and its index go with their file,
  // where whoever looks into the damage finds them, and a new file starts alone.
  if (!platform::rename_file(path, aside)) return "";
  for (const char* beside : {"-wal", "-shm"}) platform::rename_file(path + beside, aside + beside);
  return aside;
}

std::int64_t History::add_run(const HistoryEntry& run, const std::vector<DocumentContact>& contacts) {
  history_form::RunContacts carried(contacts);
  return add_run(run, carried);
}

std::int64_t History::add_run(const HistoryEntry& run, history_form::RunContacts& carried) {
  const std::string& json = carried.json();
  Transaction t(*db_, "BEGIN IMMEDIATE");
  Statement insert(*db_, kInsertRun);
  bind_run(insert, run);
  insert.bind(13, std::int64_t{1});
  if (!carried.keys().empty()) insert.bind(17, carried.span().first).bind(18, carried.span().last);
  insert.step();
  const std::int64_t id = sq().last_insert_rowid(db_->handle);
  if (!carried.keys().empty())
    Statement(*db_, kInsertContacts).bind(1, id).bind_blob(2, carried.keys()).bind(3, json).step();
  t.commit();
  return id;
}

void History::storing(std::int64_t run, const std::string& mode) {
  // Synced, and the run's record written before it with it; see write_ahead.
  db_->exec("PRAGMA synchronous = FULL");
  Statement(*db_, "UPDATE runs SET mode = ?1 WHERE id = ?2").bind(1, mode).bind(2, run).step();
  db_->exec("PRAGMA synchronous = NORMAL");
}

void History::set_remote_name(std::int64_t run, const std::string& remote_name) {
  Statement(*db_, "UPDATE runs SET remote_name = ?1 WHERE id = ?2").bind(1, remote_name).bind(2, run).step();
}

void History::end_run(std::int64_t run, const HistoryEntry& e) {
  Statement update(*db_,
                   "UPDATE runs SET started = ?1, remote_name = ?2, host = ?3, port = ?4, records = ?5, bytes = ?6, "
                   "log_fnv1a = ?7, outcome = ?8, error = ?9, reply = ?10, elapsed_s = ?11, uploader = ?12, "
                   "mode = ?14, fell_back = ?15, mode_forced = ?16 WHERE id = ?13");
  bind_run(update, e);
  update.bind(13, run).step();
  checkpoint_if_long(*db_, db_->path);
}

std::vector<HistoryEntry> History::runs(std::optional<std::size_t> last, std::int64_t under_way) {
  Statement s(*db_, std::string("SELECT ") + kRunColumns +
                        ", r.id FROM (SELECT * FROM runs ORDER BY id DESC LIMIT ?1) r ORDER BY r.id");
  s.bind(1, last ? static_cast<std::int64_t>(std::min<std::uint64_t>(*last, INT64_MAX)) : std::int64_t{-1});
  std::vector<HistoryEntry> out;
  while (s.step()) {
    out.push_back(s.run(0));
    if (s.null(7) && s.integer(15) == under_way) out.back().outcome = kUnderWay;
  }
  return out;
}

namespace {

// The first column of the newest run at host:port that `where` keeps, or "".
std::string newest_at(const History::Db& db, const std::string& column, const char* where, const std::string& host,
                      int port) {
  Statement s(
      db, "SELECT " + column + " FROM runs WHERE host = ?1 AND port = ?2 AND " + where + " ORDER BY id DESC LIMIT 1");
  s.bind(1, host).bind(2, std::int64_t{port});
  return s.step() ? s.text(0) : std::string();
}

}  // namespace

std::string History::newest_remote_name(const std::string& host, int port) {
  return newest_at(*db_, "remote_name", "remote_name != ''", host, port);
}

std::string History::remembered_mode(const std::string& host, int port) {
  return newest_at(*db_, "mode", "outcome = 'ok' AND mode != '' AND mode_forced = 0", host, port);
}

SentContacts History::sent(const std::string& host, int port, std::string_view uploader, const std::string& log_fnv1a,
                           const std::vector<DocumentContact>& contacts) {
  SentContacts out;
  out.run_of.assign(contacts.size(), 0);
  // The log's keys in a table of twice their number (open addressing): the
  // check looks up every key of every run sent there.
  std::size_t size = 16;
  while (size < contacts.size() * 2) size *= 2;
  constexpr std::size_t kNone = SIZE_MAX;
  std::vector<std::pair<std::uint64_t, std::size_t>> table(size, {0, kNone});
  std::vector<std::size_t> same_key(contacts.size(), kNone);  // the next contact with that key
  const auto slot = [&](std::uint64_t key) {
    std::size_t at = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (size - 1);
    while (table[at].second != kNone && table[at].first != key) at = (at + 1) & (size - 1);
    return at;
  };
  const history_form::DaytimeSpan asked = history_form::daytime_span(contacts);
  for (std::size_t i = contacts.size(); i-- > 0;) {
    const std::uint64_t key = history_form::contact_key(contacts[i]);
    auto& entry = table[slot(key)];
    same_key[i] = entry.second;
    entry = {key, i};
  }
  std::size_t left = contacts.size();
  Transaction t(*db_, "BEGIN");
  // What the service sees of a contact, from whom, where: the newest run that
  // ended ok, or never ended once its store began, first, of those whose
  // contacts span a daytime of the log's (texts compared as they are: a daytime
  // the same as another lies within the same span).
  Statement runs(*db_,
                 "SELECT r.id, c.keys FROM runs r JOIN run_contacts c ON c.run = r.id "
                 "WHERE (r.outcome = 'ok' OR (r.outcome IS NULL AND r.mode != '')) "
                 "AND r.host = ?1 AND r.port = ?2 AND r.uploader = ?3 AND r.last_daytime >= ?4 "
                 "AND r.first_daytime <= ?5 ORDER BY r.id DESC");
  const std::string uploader8 = utf8(uploader);  // bound without a copy
  runs.bind(1, host).bind(2, std::int64_t{port}).bind(3, uploader8);
  runs.bind(4, asked.first).bind(5, asked.last);
  while (left > 0 && runs.step()) {
    const std::int64_t id = runs.integer(0);
    const std::string_view keys = runs.blob(1);
    for (std::size_t k = 0; k < keys.size() / 8; ++k)
      for (std::size_t i = table[slot(history_form::key_at(keys, k))].second; i != kNone; i = same_key[i])
        if (out.run_of[i] == 0) {
          out.run_of[i] = id;
          --left;
        }
  }
  Statement whole(*db_,
                  "SELECT id FROM runs WHERE contacts_kept = 0 AND outcome = 'ok' AND host = ?1 AND port = ?2 "
                  "AND log_fnv1a = ?3 ORDER BY id DESC LIMIT 1");
  if (whole.bind(1, host).bind(2, std::int64_t{port}).bind(3, log_fnv1a).step())
    for (std::int64_t& id : out.run_of) id = id != 0 ? id : whole.integer(0);
  Statement run(*db_, std::string("SELECT ") + kRunColumns + " FROM runs r WHERE r.id = ?1");
  for (const std::int64_t id : out.run_of) {
    if (id == 0 || out.runs.count(id)) continue;
    if (run.bind(1, id).step()) out.runs[id] = run.run(0);
    run.reset();
  }
  t.commit();
  return out;
}

std::vector<ContactInRun> History::contacts_with(const std::string& call) {
  Statement s(*db_, std::string("SELECT ") + kRunColumns +
                        ", c.contacts FROM runs r JOIN run_contacts c ON c.run = r.id ORDER BY r.id");
  const auto same = [&](std::string_view other) {
    return std::equal(call.begin(), call.end(), other.begin(), other.end(), [](char a, char b) {
      const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
      return lower(a) == lower(b);
    });
  };
  std::vector<ContactInRun> out;
  while (s.step()) {
    std::vector<DocumentContact> carried = history_form::read_contacts(s.blob(15), same);
    std::stable_sort(carried.begin(), carried.end(), [](const auto& a, const auto& b) { return a.record < b.record; });
    for (DocumentContact& c : carried) out.push_back({std::move(c), s.run(0)});
  }
  return out;
}

SentContacts sent_from_log(const std::string& csv_path, std::string_view uploader, const std::string& host, int port,
                           std::vector<DocumentContact>& contacts) {
  ContactLog log;
  read_log(csv_path, log);
  contacts = document_contacts(log);
  return History(history_path(), History::Mode::Read).sent(host, port, uploader, fnv1a_hex(log.data), contacts);
}

std::string fnv1a_hex(std::string_view bytes) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(history_form::fnv1a(bytes)));
  return buf;
}

}  // namespace quillon

#include "app/history.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

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

// user_version 2 (1 had no mode, fell_back, mode_forced). A run's
// contacts_kept is 0 when it came from uploads.jsonl.
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
  mode_forced INTEGER NOT NULL DEFAULT 0);
CREATE TABLE contacts (
  run INTEGER NOT NULL REFERENCES runs(id),
  record INTEGER NOT NULL,
  line INTEGER NOT NULL,
  callsign TEXT NOT NULL,
  call TEXT NOT NULL,
  daytime TEXT NOT NULL,
  frequency TEXT NOT NULL,
  mode TEXT NOT NULL,
  remarks TEXT NOT NULL);
CREATE INDEX contacts_seen ON contacts(daytime, callsign);
PRAGMA user_version = 2;
)";
constexpr int kVersion = 2;
constexpr const char* kModeColumns =
    "ALTER TABLE runs ADD COLUMN mode TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE runs ADD COLUMN fell_back INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE runs ADD COLUMN mode_forced INTEGER NOT NULL DEFAULT 0;";
// A file of version 1 read without writing: its runs as version 2 shows them.
constexpr const char* kVersion1Runs =
    "CREATE TEMP VIEW runs AS SELECT *, '' AS mode, 0 AS fell_back, 0 AS mode_forced FROM main.runs";

constexpr const char* kRunColumns =
    "r.started, r.remote_name, r.host, r.port, r.records, r.bytes, r.log_fnv1a, r.outcome, r.error, r.reply, "
    "r.elapsed_s, r.uploader, r.mode, r.fell_back, r.mode_forced";

std::string utf8(std::string_view cp932) { return cp932::to_utf8_lossy(cp932); }

// SQLite says what went wrong in UTF-8; the error's text is CP932.
[[noreturn]] void history_failed(std::string_view utf8_text, int code) {
  throw Error(Failed::History, cp932::from_utf8_or_as_is(utf8_text), static_cast<std::uint32_t>(code));
}

// A contact's texts as the database keeps them.
struct Kept {
  std::string callsign, call, daytime, frequency, mode, remarks;
  explicit Kept(const DocumentContact& c)
      : callsign(utf8(c.callsign)),
        call(utf8(c.call)),
        daytime(utf8(c.daytime)),
        frequency(utf8(c.frequency)),
        mode(utf8(c.mode)),
        remarks(utf8(c.remarks)) {}
};

}  // namespace

struct History::Db {
  sqlite3* handle = nullptr;
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
    "elapsed_s, uploader, contacts_kept, mode, fell_back, mode_forced) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)";

// The tables, and the runs of an uploads.jsonl beside the file, once.
void create_tables(const History::Db& db, const std::string& path) {
  Transaction t(db, "BEGIN IMMEDIATE");
  Statement version(db, "PRAGMA user_version");
  version.step();
  const std::int64_t have = version.integer(0);
  if (have > kVersion) throw Error(Failed::History, path + " was written by a newer Quillon");
  if (have == 1) db.exec((std::string(kModeColumns) + "PRAGMA user_version = 2;").c_str());
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
}

}  // namespace

History::History(const std::string& path, Mode mode) : db_(std::make_unique<Db>()) {
  if (!platform::sqlite_api()) throw Error(Failed::History, "the history's SQLite module is missing");
  std::string read_only_disk;  // a test's stand-in for a disk mounted read-only
  const bool on_disk = mode == Mode::Write || platform::file_size(path) > 0;
  // A journal beside it is a commit cut off (a run killed, the power lost): only
  // a connection that may write plays it back, and until then nothing is read.
  const bool cut_off = on_disk && platform::file_size(path + "-journal") > 0;
  const bool writable =
      (mode == Mode::Write || cut_off) && !platform::test_failure("read-only-history", read_only_disk);
  if (writable && !platform::create_if_missing(path)) throw platform::file_error(Failed::History);
  const int flags = writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
  if (sq().open_v2(on_disk ? path.c_str() : ":memory:", &db_->handle, on_disk ? flags : SQLITE_OPEN_READWRITE,
                   nullptr) != SQLITE_OK) {
    if (!db_->handle) throw Error(Failed::History, "out of memory");
    db_->fail();
  }
  sq().busy_timeout(db_->handle, 5000);
  if (on_disk && mode == Mode::Read) {
    Statement version(*db_, "PRAGMA user_version");
    version.step();
    if (version.integer(0) > kVersion) throw Error(Failed::History, path + " was written by a newer Quillon");
    if (version.integer(0) == kVersion) return;
    if (version.integer(0) == 1) {
      db_->exec(kVersion1Runs);
      return;
    }
    // An empty file (made but never filled) reads as a missing one.
    sq().close(db_->handle);
    db_->handle = nullptr;
    if (sq().open_v2(":memory:", &db_->handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) db_->fail();
  }
  create_tables(*db_, path);
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
  // No journal to take along: SQLite has played or dropped it before it finds the damage.
  return platform::rename_file(path, aside) ? aside : "";
}

std::int64_t History::add_run(const HistoryEntry& run, const std::vector<DocumentContact>& contacts) {
  Transaction t(*db_, "BEGIN IMMEDIATE");
  Statement insert(*db_, kInsertRun);
  bind_run(insert, run);
  insert.bind(13, std::int64_t{1}).step();
  const std::int64_t id = sq().last_insert_rowid(db_->handle);
  Statement contact(*db_,
                    "INSERT INTO contacts (run, record, line, callsign, call, daytime, frequency, mode, remarks) "
                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
  for (const DocumentContact& c : contacts) {
    const Kept k(c);
    contact.bind(1, id).bind(2, std::int64_t{c.record}).bind(3, std::int64_t{c.line}).bind(4, k.callsign);
    contact.bind(5, k.call).bind(6, k.daytime).bind(7, k.frequency).bind(8, k.mode).bind(9, k.remarks).step();
    contact.reset();
  }
  t.commit();
  return id;
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
  Transaction t(*db_, "BEGIN");
  // What the service sees of a contact, from whom, where; the index holds new
  // contacts near the end, so recording them touches few pages.
  Statement find(*db_,
                 "SELECT r.id FROM contacts c JOIN runs r ON r.id = c.run WHERE c.daytime = ?1 AND c.callsign = ?2 "
                 "AND c.frequency = ?3 AND c.mode = ?4 AND r.outcome = 'ok' AND r.host = ?5 AND r.port = ?6 "
                 "AND r.uploader = ?7 ORDER BY r.id DESC LIMIT 1");
  const std::string uploader8 = utf8(uploader);
  for (std::size_t i = 0; i < contacts.size(); ++i) {
    const Kept k(contacts[i]);
    find.bind(1, k.daytime).bind(2, k.callsign).bind(3, k.frequency).bind(4, k.mode);
    find.bind(5, host).bind(6, std::int64_t{port}).bind(7, uploader8);
    if (find.step()) out.run_of[i] = find.integer(0);
    find.reset();
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
  Statement s(*db_, std::string("SELECT c.record, c.line, c.callsign, c.call, c.daytime, c.frequency, c.mode, "
                                "c.remarks, ") +
                        kRunColumns + " FROM contacts c JOIN runs r ON r.id = c.run " +
                        "WHERE c.call = ?1 COLLATE NOCASE ORDER BY r.id, c.record");
  s.bind(1, call);
  std::vector<ContactInRun> out;
  while (s.step())
    out.push_back({{static_cast<int>(s.integer(0)), static_cast<int>(s.integer(1)), s.text(2), s.text(3), s.text(4),
                    s.text(5), s.text(6), s.text(7)},
                   s.run(8)});
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
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

}  // namespace quillon

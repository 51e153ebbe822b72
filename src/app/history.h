#pragma once
// uploads.sqlite in the settings folder: a row for every upload run and one for
// every contact a run carried, so that a user can tell what reached which
// server and when, and no contact goes up twice by mistake. A run is written
// just before its store and again when it ends; one that never ended reads back
// as "interrupted".
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/history_contacts.h"
#include "conversion/conversion.h"
#include "platform/clock.h"
#include "platform/error.h"

namespace quillon {

struct HistoryEntry {
  std::string started;      // local time with its offset, ISO 8601
  std::string remote_name;  // where the document went (or was to go)
  std::string host;
  int port = 0;
  int records = 0;
  long long bytes = 0;      // the document's size
  std::string log_fnv1a;    // of the log file's bytes, 16 hex digits
  std::string outcome;      // "ok", the stage that failed, or "interrupted"
  std::uint32_t error = 0;  // the internet layer's number, 0 for none
  std::string reply;        // the server's last reply
  double elapsed_s = 0;
  std::string uploader;      // the settings' callsign
  std::string mode;          // of the store: "active", "passive", or "" when none began
  bool fell_back = false;    // stored (or tried) in the other mode after the first refused
  bool mode_forced = false;  // --active or --passive: neither fell back nor is remembered

  bool operator==(const HistoryEntry&) const = default;
};

// The stages an outcome names, "ok" aside.
inline constexpr const char* kStages[] = {"settings", "log", "convert", "session", "connect", "store", "close"};
inline constexpr const char* kInterrupted = "interrupted";
inline constexpr const char* kUnderWay = "under way";  // not ended, and its process still runs

nlohmann::ordered_json to_json(const HistoryEntry& entry);
// One line of JSON, no line end; text that is not UTF-8 is replaced, not refused.
std::string json_line(const nlohmann::ordered_json& object);
// Empty for a torn line, another program's JSON or anything else not ours.
std::optional<HistoryEntry> parse_history_line(std::string_view line);

inline constexpr const char* kHistoryFile = "uploads.sqlite";
// Held by the one upload under way, with its run's number as the note.
inline constexpr const char* kUploadLockFile = "uploads.lock";
std::string history_path();  // kHistoryFile in the settings folder
std::string upload_lock_file(const std::string& folder);
// The run whose upload holds the lock in `folder`; 0 for none.
std::int64_t run_under_way(const std::string& folder);

// A history that cannot be opened, read or written throws Error (Failed::History,
// with SQLite's result code where it gave one). True when SQLite found no
// database, or a damaged one, in the file.
bool damaged(const Error& e);

// A damaged history renamed beside itself with the local time
// (uploads.sqlite.damaged-YYYYMMDD-HHMMSS), so that a new one can start;
// the new name, or "" when it could not be moved.
std::string set_aside_damaged(const std::string& path, const platform::LocalDateTime& now);

// Which runs that ended "ok", or never ended once their store began, carried
// the contacts asked about.
struct SentContacts {
  std::vector<std::int64_t> run_of;           // one a contact; 0: never sent there
  std::map<std::int64_t, HistoryEntry> runs;  // those runs by their number
  std::size_t count() const;
};

// A contact that went up (texts UTF-8) with the run that carried it.
struct ContactInRun {
  DocumentContact contact;
  HistoryEntry run;
};

class History {
 public:
  enum class Mode {
    Write,  // creates the file (owner-only) and takes in an uploads.jsonl beside it, once
    Read,   // never writes; a missing file reads as that uploads.jsonl alone
  };
  // Throws Error.
  History(const std::string& path, Mode mode);
  ~History();
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  // True when this connection can write the runs below: opened for writing, or
  // for reading a file of the current version (which it then writes as a
  // writer would). An older file read as it is, or a missing one, cannot.
  bool writable();
  // A run and its contacts (CP932) in one transaction; an empty outcome marks
  // it under way. Returns its number.
  std::int64_t add_run(const HistoryEntry& run, const std::vector<DocumentContact>& contacts = {});
  // The same with the contacts already put in their stored form.
  std::int64_t add_run(const HistoryEntry& run, history_form::RunContacts& carried);
  void set_remote_name(std::int64_t run, const std::string& remote_name);
  // The run's store begins in `mode`: on disk before this returns, so that a
  // run that never ends after it counts as sent (it may have gone).
  void storing(std::int64_t run, const std::string& mode);
  void end_run(std::int64_t run, const HistoryEntry& entry);

  // Oldest first; the latest `last` when given. The run `under_way` reads as
  // under way, any other that never ended as interrupted.
  std::vector<HistoryEntry> runs(std::optional<std::size_t> last = std::nullopt, std::int64_t under_way = 0);
  // The remote name of the newest run to host:port that had one (UTF-8), or "".
  std::string newest_remote_name(const std::string& host, int port);
  // The mode the newest ok run to host:port stored in, leaving aside runs whose
  // mode was forced; "" when there is none.
  std::string remembered_mode(const std::string& host, int port);
  // The contacts (CP932) as `uploader` sent them to host:port, the newest run
  // for each. A run taken over from uploads.jsonl kept no contacts: it counts
  // for all of them when it carried a log of these very bytes.
  SentContacts sent(const std::string& host, int port, std::string_view uploader, const std::string& log_fnv1a,
                    const std::vector<DocumentContact>& contacts);
  // Every contact with that station (its callsign, any ASCII case), oldest first.
  std::vector<ContactInRun> contacts_with(const std::string& call);

  struct Db;

 private:
  std::unique_ptr<Db> db_;
  bool writable_ = false;
  bool writing_ = false;  // set up for writing
};

// The log at `csv_path` (CP932) read into `contacts` as the document would carry
// them, and which of them `uploader` sent to host:port. Throws Error when the log
// is refused or the history cannot be read.
SentContacts sent_from_log(const std::string& csv_path, std::string_view uploader, const std::string& host, int port,
                           std::vector<DocumentContact>& contacts);

// 64-bit FNV-1a, as 16 hex digits: tells one log from another, no more.
std::string fnv1a_hex(std::string_view bytes);

}  // namespace quillon

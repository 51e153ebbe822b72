// SQLite's files as a power cut would leave them, for the switch "sync-copies":
// a file's bytes are copied beside it (NAME.synced) each time it is synced,
// and a case then puts the copies in the files' place (tests/cli, power-cut).
// A default VFS that passes every call on to the system's own.
#include <sqlite3.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sqlite_api.h"
#include "support/synced_copies.h"

namespace quillon::testing {
namespace {

sqlite3_vfs* base = nullptr;
sqlite3_vfs wrapper;

struct File {
  sqlite3_file self;
  sqlite3_file* real;  // base's, right after this
  char path[512];      // "" for a file not kept
};

sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

int sync(sqlite3_file* f, int flags) {
  File* file = reinterpret_cast<File*>(f);
  const int rc = file->real->pMethods->xSync(file->real, flags);
  sqlite3_int64 size = 0;
  if (rc != SQLITE_OK || file->path[0] == '\0' || file->real->pMethods->xFileSize(file->real, &size) != SQLITE_OK)
    return rc;
  std::vector<char> bytes(static_cast<std::size_t>(size));
  if (size > 0 && file->real->pMethods->xRead(file->real, bytes.data(), static_cast<int>(size), 0) != SQLITE_OK)
    return SQLITE_IOERR_FSYNC;
  std::ofstream(std::string(file->path) + ".synced", std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return rc;
}

const sqlite3_io_methods methods = {
    3,
    [](sqlite3_file* f) {
      const int rc = real(f)->pMethods->xClose(real(f));
      f->pMethods = nullptr;
      return rc;
    },
    [](sqlite3_file* f, void* b, int n, sqlite3_int64 at) { return real(f)->pMethods->xRead(real(f), b, n, at); },
    [](sqlite3_file* f, const void* b, int n, sqlite3_int64 at) {
      return real(f)->pMethods->xWrite(real(f), b, n, at);
    },
    [](sqlite3_file* f, sqlite3_int64 size) { return real(f)->pMethods->xTruncate(real(f), size); },
    sync,
    [](sqlite3_file* f, sqlite3_int64* size) { return real(f)->pMethods->xFileSize(real(f), size); },
    [](sqlite3_file* f, int lock) { return real(f)->pMethods->xLock(real(f), lock); },
    [](sqlite3_file* f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); },
    [](sqlite3_file* f, int* out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); },
    [](sqlite3_file* f, int op, void* arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); },
    [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); },
    [](sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
    [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
      return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
    },
    [](sqlite3_file* f, int at, int n, int flags) { return real(f)->pMethods->xShmLock(real(f), at, n, flags); },
    [](sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); },
    [](sqlite3_file* f, int drop) { return real(f)->pMethods->xShmUnmap(real(f), drop); },
    [](sqlite3_file* f, sqlite3_int64 at, int n, void** out) { return real(f)->pMethods->xFetch(real(f), at, n, out); },
    [](sqlite3_file* f, sqlite3_int64 at, void* page) { return real(f)->pMethods->xUnfetch(real(f), at, page); },
};

int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* out_flags) {
  File* file = reinterpret_cast<File*>(f);
  file->real = reinterpret_cast<sqlite3_file*>(file + 1);
  file->path[0] = '\0';
  const int rc = base->xOpen(base, name, file->real, flags, out_flags);
  if (file->real->pMethods == nullptr) {
    f->pMethods = nullptr;
    return rc;
  }
  // The files a power cut could leave behind: the database and its log.
  if (name && (flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL)) && std::strlen(name) < sizeof file->path)
    std::strcpy(file->path, name);
  f->pMethods = &methods;
  return rc;
}

}  // namespace

void keep_synced_copies(const platform::SqliteApi& api) {
  base = api.vfs_find(nullptr);
  if (!base || base->iVersion < 1) return;
  wrapper = *base;  // its other calls, and the data they find in it
  wrapper.zName = "quillon-synced-copies";
  wrapper.pNext = nullptr;
  wrapper.szOsFile = static_cast<int>(sizeof(File)) + base->szOsFile;
  wrapper.xOpen = open;
  api.vfs_register(&wrapper, 1);
}

}  // namespace quillon::testing

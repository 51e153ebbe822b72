#pragma once
// The SQLite calls the history makes, found on first use: on Linux in a module
// of their own, so that what never opens the history does not map libsqlite3.
#include <sqlite3.h>

namespace quillon::platform {

struct SqliteApi {
  decltype(&sqlite3_open_v2) open_v2;
  decltype(&sqlite3_close) close;
  decltype(&sqlite3_busy_timeout) busy_timeout;
  decltype(&sqlite3_errmsg) errmsg;
  decltype(&sqlite3_errcode) errcode;
  decltype(&sqlite3_exec) exec;
  decltype(&sqlite3_prepare_v2) prepare_v2;
  decltype(&sqlite3_finalize) finalize;
  decltype(&sqlite3_bind_text) bind_text;
  decltype(&sqlite3_bind_int64) bind_int64;
  decltype(&sqlite3_bind_double) bind_double;
  decltype(&sqlite3_step) step;
  decltype(&sqlite3_reset) reset;
  decltype(&sqlite3_column_text) column_text;
  decltype(&sqlite3_column_bytes) column_bytes;
  decltype(&sqlite3_column_int64) column_int64;
  decltype(&sqlite3_column_double) column_double;
  decltype(&sqlite3_column_type) column_type;
  decltype(&sqlite3_last_insert_rowid) last_insert_rowid;
  decltype(&sqlite3_bind_blob) bind_blob;
  decltype(&sqlite3_column_blob) column_blob;
  decltype(&sqlite3_backup_init) backup_init;
  decltype(&sqlite3_backup_step) backup_step;
  decltype(&sqlite3_backup_finish) backup_finish;
  decltype(&sqlite3_db_config) db_config;
  decltype(&sqlite3_vfs_find) vfs_find;
  decltype(&sqlite3_vfs_register) vfs_register;
};

// nullptr when the module cannot be loaded.
const SqliteApi* sqlite_api();
// The table itself, in whatever links SQLite.
const SqliteApi* sqlite_table();

}  // namespace quillon::platform

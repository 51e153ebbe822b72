#include "platform/sqlite_api.h"
#ifdef _WIN32
#include "platform/test_switch.h"
#endif

namespace quillon::platform {

const SqliteApi* sqlite_table() {
  static const SqliteApi table = {
      &sqlite3_open_v2,       &sqlite3_close,       &sqlite3_busy_timeout,      &sqlite3_errmsg,
      &sqlite3_errcode,       &sqlite3_exec,        &sqlite3_prepare_v2,        &sqlite3_finalize,
      &sqlite3_bind_text,     &sqlite3_bind_int64,  &sqlite3_bind_double,       &sqlite3_step,
      &sqlite3_reset,         &sqlite3_column_text, &sqlite3_column_bytes,      &sqlite3_column_int64,
      &sqlite3_column_double, &sqlite3_column_type, &sqlite3_last_insert_rowid, &sqlite3_bind_blob,
      &sqlite3_column_blob,   &sqlite3_backup_init, &sqlite3_backup_step,       &sqlite3_backup_finish,
      &sqlite3_db_config,     &sqlite3_vfs_find,    &sqlite3_vfs_register};
  return &table;
}

#ifdef _WIN32
const SqliteApi* sqlite_api() {
  static const SqliteApi* const api = [] {
    const SqliteApi* const table = sqlite_table();
    with_test_files(*table);
    return table;
  }();
  return api;
}
#endif

}  // namespace quillon::platform

#ifndef _WIN32
extern "C" __attribute__((visibility("default"))) const quillon::platform::SqliteApi* quillon_sqlite_api() {
  return quillon::platform::sqlite_table();
}
#endif

#pragma once
namespace quillon::platform {
struct SqliteApi;
}

namespace quillon::testing {

// SQLite's default files copied beside themselves (NAME.synced) at each sync.
void keep_synced_copies(const platform::SqliteApi& api);

}  // namespace quillon::testing

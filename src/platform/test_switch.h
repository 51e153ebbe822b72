#pragma once
// Failures a test asks for on purpose. A program asks here whether a failure
// is wanted; only a program the tests build has anyone to answer
// (tests/support/test_switches.cpp, from QUILLON_TEST, words such as
// "fail-rename,no-wait" or "fail-close=12030"). A program a user installs has
// no such layer: every question answers "not set".
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/inet.h"

namespace quillon::platform {

struct SqliteApi;

// Set: the number after "WORD=", 0 for a bare WORD.
std::optional<std::uint32_t> test_switch(std::string_view word);

// A failure the switch WORD asks for: true, with `reason` naming it.
bool test_failure(std::string_view word, std::string& reason);

// The layer as the switches have it fail (fail-open, fail-connect, fail-put,
// fail-close); the layer itself where no test layer is installed.
std::unique_ptr<Internet> with_test_switches(std::unique_ptr<Internet> layer);
// The bounds, with "accept-ms=N" shortening the wait for the server's data
// connection and "reply-ms=N" that for each reply.
InternetTimeouts switched_timeouts(InternetTimeouts timeouts);

// SQLite's files as the switches have them kept ("sync-copies": each file's
// bytes copied beside it as NAME.synced whenever it is synced, what the disk
// would hold after a power cut); called once SQLite is found.
void with_test_files(const SqliteApi& api);

// What a test build installs before main: who answers the switches, and what
// wraps the internet layer and SQLite's files.
struct TestLayer {
  std::optional<std::uint32_t> (*lookup)(std::string_view word) = nullptr;
  std::unique_ptr<Internet> (*wrap)(std::unique_ptr<Internet> layer) = nullptr;
  void (*files)(const SqliteApi& api) = nullptr;
};
void install_test_layer(const TestLayer& layer);

}  // namespace quillon::platform

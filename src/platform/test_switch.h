#pragma once
// Failures a test asks for on purpose, through the environment: QUILLON_TEST
// holds words such as "fail-rename,no-wait" or "fail-close=12030". A build
// made without its tests has no switches: every question answers "not set".
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/inet.h"

namespace quillon::platform {

// Set: the number after "WORD=", 0 for a bare WORD.
std::optional<std::uint32_t> test_switch(std::string_view word);

// A failure the switch WORD asks for: true, with `reason` naming it.
bool test_failure(std::string_view word, std::string& reason);

// The layer with the switches fail-open, fail-connect, fail-put and fail-close
// (each "=NUMBER", the error it reports); the layer itself where none is set.
std::unique_ptr<Internet> with_test_switches(std::unique_ptr<Internet> layer);
// The bounds, with "accept-ms=N" shortening the wait for the server's data
// connection and "reply-ms=N" that for each reply.
InternetTimeouts switched_timeouts(InternetTimeouts timeouts);

}  // namespace quillon::platform

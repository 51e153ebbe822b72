#include "platform/test_switch.h"

#include <string>

#include "platform/inet.h"

namespace quillon::platform {
namespace {

TestLayer& installed() {
  static TestLayer layer;
  return layer;
}

}  // namespace

void install_test_layer(const TestLayer& layer) { installed() = layer; }

std::optional<std::uint32_t> test_switch(std::string_view word) {
  return installed().lookup ? installed().lookup(word) : std::nullopt;
}

bool test_failure(std::string_view word, std::string& reason) {
  if (!test_switch(word)) return false;
  reason = std::string(word) + " (test switch)";
  return true;
}

InternetTimeouts switched_timeouts(InternetTimeouts timeouts) {
  if (const auto ms = test_switch("accept-ms")) timeouts.accept_ms = static_cast<long>(*ms);
  if (const auto ms = test_switch("reply-ms")) timeouts.reply_ms = static_cast<long>(*ms);
  return timeouts;
}

void with_test_files(const SqliteApi& api) {
  if (installed().files) installed().files(api);
}

std::unique_ptr<Internet> with_test_switches(std::unique_ptr<Internet> layer) {
  return installed().wrap ? installed().wrap(std::move(layer)) : std::move(layer);
}

}  // namespace quillon::platform

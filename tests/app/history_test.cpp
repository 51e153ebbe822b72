// The upload history's log fingerprint is FNV-1a as published: a history
// written by one version is compared by the next.
#include <gtest/gtest.h>

#include "app/history.h"

TEST(History, FingerprintIsFnv1a64) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "cbf29ce484222325"}, {"a", "af63dc4c8601ec8c"}, {"foobar", "85944171f73967e8"}};
  for (const auto& [bytes, want] : cases) EXPECT_EQ(quillon::fnv1a_hex(bytes), want) << '"' << bytes << '"';
}

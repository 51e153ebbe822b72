// The switches of test_switch.h, answered from the environment variable
// QUILLON_TEST, and the internet layer they make fail. Linked into every
// program the tests build (an object, so that its installer runs before
// main), never into a program a user installs.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/inet.h"
#include "platform/test_switch.h"
#include "support/synced_copies.h"

namespace quillon::platform {
namespace {

std::optional<std::uint32_t> from_environment(std::string_view word) {
  const char* env = std::getenv("QUILLON_TEST");
  std::string_view rest = env ? env : "";
  while (!rest.empty()) {
    const std::string_view item = rest.substr(0, rest.find(','));
    rest.remove_prefix(std::min(rest.size(), item.size() + 1));
    if (item == word) return 0;
    if (item.size() > word.size() && item.substr(0, word.size()) == word && item[word.size()] == '=')
      return static_cast<std::uint32_t>(std::strtoul(std::string(item.substr(word.size() + 1)).c_str(), nullptr, 10));
  }
  return std::nullopt;
}

// Passes every call on, failing those a switch names; a failed close still closes.
class SwitchedInternet final : public Internet {
 public:
  explicit SwitchedInternet(std::unique_ptr<Internet> layer) : layer_(std::move(layer)) {}

  InetResult open(StatusCallback status) override {
    if (const auto e = from_environment("fail-open")) return InetResult::failure(*e);
    return layer_->open(std::move(status));
  }
  InetResult connect(const FtpLogin& login) override {
    if (const auto e = from_environment("fail-connect")) return InetResult::failure(*e, reply_);
    return heard(layer_->connect(login));
  }
  InetResult put_file(const std::string& local_path, const std::string& remote_path, TransferType type) override {
    if (const auto e = from_environment("fail-put")) return InetResult::failure(*e, reply_);
    return heard(layer_->put_file(local_path, remote_path, type));
  }
  InetResult close() override {
    InetResult closed = heard(layer_->close());
    if (const auto e = from_environment("fail-close")) closed.error = *e;
    return closed;
  }
  void autodial_hangup() override { layer_->autodial_hangup(); }
  void load_ahead() override { layer_->load_ahead(); }

 private:
  // A failure on purpose comes with the reply the layer last gave.
  InetResult heard(InetResult result) {
    reply_ = result.reply;
    return result;
  }

  std::unique_ptr<Internet> layer_;
  std::string reply_;
};

std::unique_ptr<Internet> switched_layer(std::unique_ptr<Internet> layer) {
  for (const char* word : {"fail-open", "fail-connect", "fail-put", "fail-close"})
    if (from_environment(word)) return std::make_unique<SwitchedInternet>(std::move(layer));
  return layer;
}

void switched_files(const SqliteApi& api) {
  if (from_environment("sync-copies")) testing::keep_synced_copies(api);
}

[[maybe_unused]] const bool installed = (install_test_layer({from_environment, switched_layer, switched_files}), true);

}  // namespace
}  // namespace quillon::platform

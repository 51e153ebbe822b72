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

  InetHandle open() override { return switched("fail-open") ? 0 : layer_->open(); }
  void set_status_callback(InetHandle session, StatusCallback callback) override {
    layer_->set_status_callback(session, std::move(callback));
  }
  InetHandle connect(InetHandle session, const std::string& host, std::uint16_t port, const std::string& user,
                     const std::string& password, std::uint32_t service, std::uint32_t flags,
                     std::uintptr_t context) override {
    if (switched("fail-connect")) return 0;
    connection_ = layer_->connect(session, host, port, user, password, service, flags, context);
    return connection_;
  }
  bool put_file(InetHandle connection, const std::string& local_path, const std::string& remote_path,
                std::uint32_t flags, std::uintptr_t context) override {
    return !switched("fail-put") && layer_->put_file(connection, local_path, remote_path, flags, context);
  }
  bool close_handle(InetHandle handle) override {
    const bool closed = layer_->close_handle(handle);
    if (handle == connection_ && switched("fail-close")) return false;
    error_.reset();
    return closed;
  }
  bool data_opened() const override { return layer_->data_opened(); }
  std::uint32_t last_error() const override { return error_ ? *error_ : layer_->last_error(); }
  bool last_response_info(std::uint32_t* error, char* buffer, std::uint32_t* length) override {
    const bool ok = layer_->last_response_info(error, buffer, length);
    if (!ok) error_.reset();  // the layer's own failure, say a small buffer
    return ok;
  }
  void autodial_hangup(std::uint32_t reserved) override { layer_->autodial_hangup(reserved); }
  void load_ahead() override { layer_->load_ahead(); }

 private:
  bool switched(std::string_view word) {
    error_ = from_environment(word);
    return error_.has_value();
  }

  std::unique_ptr<Internet> layer_;
  InetHandle connection_ = 0;
  std::optional<std::uint32_t> error_;
};

std::unique_ptr<Internet> switched_layer(std::unique_ptr<Internet> layer) {
  for (const char* word : {"fail-open", "fail-connect", "fail-put", "fail-close"})
    if (from_environment(word)) return std::make_unique<SwitchedInternet>(std::move(layer));
  return layer;
}

[[maybe_unused]] const bool installed = (install_test_layer({from_environment, switched_layer}), true);

}  // namespace
}  // namespace quillon::platform

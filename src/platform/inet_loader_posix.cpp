#include <dlfcn.h>

#include <future>
#include <memory>
#include <string>
#include <system_error>

#include "platform/inet.h"
#include "platform/module_posix.h"
#include "platform/sqlite_api.h"
#include "platform/test_switch.h"

namespace quillon::platform {
namespace {

constexpr std::uint32_t kModuleNotFound = 126;  // ERROR_MOD_NOT_FOUND

// What stands in when the module cannot be loaded: nothing opens.
class UnavailableInternet final : public Internet {
 public:
  InetResult open(StatusCallback) override { return InetResult::failure(kModuleNotFound); }
  InetResult connect(const FtpLogin&) override { return InetResult::failure(inet_error::kInvalidHandle); }
  InetResult put_file(const std::string&, const std::string&, TransferType) override {
    return InetResult::failure(inet_error::kInvalidHandle);
  }
  InetResult close() override { return InetResult::failure(inet_error::kInvalidHandle); }
  void autodial_hangup() override {}
};

using Factory = Internet* (*)(const InternetTimeouts*);

Factory load_factory() {
  void* module = open_module(QUILLON_INET_MODULE);
  return module ? reinterpret_cast<Factory>(::dlsym(module, "quillon_make_internet")) : Factory{};
}

// Loaded once and kept, since the layers it makes live as long as the process;
// on a thread of its own when asked ahead. The history's module goes first
// there: the loader takes one load at a time, and the run needs it sooner.
std::shared_future<Factory> layer_module(bool ahead) {
  static const std::shared_future<Factory> loaded = [ahead] {
    if (ahead) {
      try {
        return std::async(std::launch::async,
                          [] {
                            (void)sqlite_api();
                            return load_factory();
                          })
            .share();
      } catch (const std::system_error&) {
        // No thread to spare: loaded when first used.
      }
    }
    return std::async(std::launch::deferred, load_factory).share();
  }();
  return loaded;
}

Factory factory() { return layer_module(false).get(); }

// Opens the session itself and loads the layer only when the session is
// first used, so a window opens its session at once and maps the network
// stack (libcurl and what it pulls in) only when the first upload connects.
class LazyInternet final : public Internet {
 public:
  explicit LazyInternet(const InternetTimeouts& t) : timeouts_(t) {}

  InetResult open(StatusCallback status) override {
    if (opened_) {
      InetResult r = real_->open(status);
      if (r.ok()) status_ = std::move(status);
      return r;
    }
    status_ = std::move(status);
    session_ = true;
    return {};
  }
  // The layer's session opens with the first connect, and again with the next
  // should it fail.
  InetResult connect(const FtpLogin& login) override {
    if (!session_) return InetResult::failure(inet_error::kInvalidHandle);
    if (!real_) real_.reset(make_layer());
    if (!opened_) {
      InetResult opened = real_->open(status_);
      if (!opened.ok()) return opened;
      opened_ = true;
    }
    return real_->connect(login);
  }
  // Without the layer nothing was ever connected.
  InetResult put_file(const std::string& local_path, const std::string& remote_path, TransferType type) override {
    return real_ ? real_->put_file(local_path, remote_path, type) : InetResult::failure(inet_error::kInvalidHandle);
  }
  InetResult close() override { return real_ ? real_->close() : InetResult::failure(inet_error::kInvalidHandle); }
  void autodial_hangup() override {
    if (real_) real_->autodial_hangup();
  }
  void load_ahead() override { (void)layer_module(true); }

 private:
  Internet* make_layer() {
    const Factory make = factory();
    return make ? make(&timeouts_) : new UnavailableInternet;
  }

  InternetTimeouts timeouts_;
  StatusCallback status_;
  std::unique_ptr<Internet> real_;
  bool session_ = false;  // ours
  bool opened_ = false;   // the layer's
};

}  // namespace

std::unique_ptr<Internet> make_internet(const InternetTimeouts& timeouts) {
  return with_test_switches(std::make_unique<LazyInternet>(switched_timeouts(timeouts)));
}

}  // namespace quillon::platform

#include <dlfcn.h>

#include <future>
#include <map>
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
  InetHandle open() override { return 0; }
  void set_status_callback(InetHandle, StatusCallback) override {}
  InetHandle connect(InetHandle, const std::string&, std::uint16_t, const std::string&, const std::string&,
                     std::uint32_t, std::uint32_t, std::uintptr_t) override {
    return 0;
  }
  bool put_file(InetHandle, const std::string&, const std::string&, std::uint32_t, std::uintptr_t) override {
    return false;
  }
  bool data_opened() const override { return false; }
  bool close_handle(InetHandle) override { return false; }
  std::uint32_t last_error() const override { return kModuleNotFound; }
  bool last_response_info(std::uint32_t*, char*, std::uint32_t*) override { return false; }
  void autodial_hangup(std::uint32_t) override {}
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

// Opens sessions of its own and loads the layer only when a session is first
// used, so a window opens its session at once and maps the network stack
// (libcurl and what it pulls in) only when the first upload connects.
class LazyInternet final : public Internet {
 public:
  explicit LazyInternet(const InternetTimeouts& t) : timeouts_(t) {}

  InetHandle open() override {
    sessions_[next_] = {};
    return next_++;
  }
  void set_status_callback(InetHandle session, StatusCallback callback) override {
    const auto s = sessions_.find(session);
    if (s == sessions_.end()) return;
    s->second.callback = callback;
    if (s->second.real != 0) layer().set_status_callback(s->second.real, std::move(callback));
  }
  InetHandle connect(InetHandle session, const std::string& host, std::uint16_t port, const std::string& user,
                     const std::string& password, std::uint32_t service, std::uint32_t flags,
                     std::uintptr_t context) override {
    const InetHandle real = real_handle(session);
    return real == 0 ? 0 : layer().connect(real, host, port, user, password, service, flags, context);
  }
  bool put_file(InetHandle connection, const std::string& local_path, const std::string& remote_path,
                std::uint32_t flags, std::uintptr_t context) override {
    const InetHandle real = real_handle(connection);
    return real != 0 && layer().put_file(real, local_path, remote_path, flags, context);
  }
  bool close_handle(InetHandle handle) override {
    const auto s = sessions_.find(handle);
    if (s == sessions_.end()) return layer().close_handle(handle);
    // A close the layer refuses (from inside a transfer) keeps the session.
    if (s->second.real != 0 && !layer().close_handle(s->second.real)) return false;
    sessions_.erase(s);
    return true;
  }
  bool data_opened() const override { return real_ && real_->data_opened(); }
  std::uint32_t last_error() const override { return real_ ? real_->last_error() : 0; }
  bool last_response_info(std::uint32_t* error, char* buffer, std::uint32_t* length) override {
    return layer().last_response_info(error, buffer, length);
  }
  // No connection was ever made without the layer: no line to drop.
  void autodial_hangup(std::uint32_t reserved) override {
    if (real_) real_->autodial_hangup(reserved);
  }
  void load_ahead() override { (void)layer_module(true); }

 private:
  struct Session {
    InetHandle real = 0;
    StatusCallback callback;
  };

  Internet& layer() {
    if (!real_) {
      const Factory make = factory();
      real_.reset(make ? make(&timeouts_) : new UnavailableInternet);
    }
    return *real_;
  }
  // A session of ours becomes one of the layer's on first use; other handles
  // are the layer's own.
  InetHandle real_handle(InetHandle handle) {
    const auto s = sessions_.find(handle);
    if (s == sessions_.end()) return handle;
    if (s->second.real == 0) {
      s->second.real = layer().open();
      if (s->second.real != 0 && s->second.callback) layer().set_status_callback(s->second.real, s->second.callback);
    }
    return s->second.real;
  }

  InternetTimeouts timeouts_;
  std::unique_ptr<Internet> real_;
  std::map<InetHandle, Session> sessions_;
  InetHandle next_ = InetHandle{1} << 30;  // apart from the layer's own handles
};

}  // namespace

std::unique_ptr<Internet> make_internet(const InternetTimeouts& timeouts) {
  return with_test_switches(std::make_unique<LazyInternet>(switched_timeouts(timeouts)));
}

}  // namespace quillon::platform

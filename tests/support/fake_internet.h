#pragma once
// An internet layer whose results are scripted, and a clock whose readings are.
// Both record how they were called.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/inet.h"

namespace quillon::testing {

class FakeInternet : public platform::Internet {
 public:
  using InetHandle = platform::InetHandle;

  struct ConnectCall {
    InetHandle session;
    std::string host;
    std::uint16_t port;
    std::string user;
    std::string password;
    std::uint32_t service;
    std::uint32_t flags;
    std::uintptr_t context;
  };
  struct PutCall {
    InetHandle connection;
    std::string local_path;
    std::string remote_path;
    std::uint32_t flags;
    std::uintptr_t context;
    std::optional<std::string> local_bytes;  // the file as it was at the call
  };
  struct Outcome {
    bool ok = true;
    std::uint32_t error = 0;
  };

  // --- script ---
  // open() returns open_handle; 0 fails with open_error.
  InetHandle open_handle = 0x100;
  std::uint32_t open_error = 0;
  // connect() fails with connect_error when set; else returns a fresh handle.
  std::optional<std::uint32_t> connect_error;
  std::vector<std::uint32_t> connect_notifications;  // fired before connect returns
  // put_file() fails with put_error when set.
  std::optional<std::uint32_t> put_error;
  std::vector<std::uint32_t> put_notifications;
  std::function<void()> during_put;  // runs after the notifications
  // One outcome per close_handle(); success once they run out.
  std::deque<Outcome> close_outcomes;
  // The server's last response; none makes last_response_info fail with
  // response_error. A buffer without room for the text and its zero fails
  // with 122 and the needed size, the zero counted.
  std::optional<std::string> response;
  std::uint32_t response_error = platform::inet_error::kIncorrectHandleType;
  // Overrides the length reported on success (a misbehaving layer).
  std::optional<std::uint32_t> response_length_override;

  // --- record ---
  std::vector<std::string> calls;  // "open", "set_status_callback", "connect", "put_file",
                                   // "close", "last_response_info", "autodial_hangup"
  std::vector<ConnectCall> connects;
  std::vector<PutCall> puts;
  std::vector<InetHandle> closed;               // every handle passed to close_handle
  std::vector<std::uint32_t> response_lengths;  // *length as announced by the caller
  std::vector<std::uint32_t> response_reported; // *length as this layer left it
  std::vector<std::uint32_t> hangups;
  InetHandle callback_session = 0;

  bool has_callback() const { return static_cast<bool>(callback_); }
  // Delivers one notification the way the layer does: only for handles of the
  // session that carries the callback and a context other than 0.
  void notify(InetHandle handle, std::uintptr_t context, std::uint32_t status);
  // Handles connect() handed out and nobody closed successfully yet.
  std::vector<InetHandle> open_connections() const;

  InetHandle open() override;
  void set_status_callback(InetHandle session, platform::StatusCallback callback) override;
  InetHandle connect(InetHandle session, const std::string& host, std::uint16_t port,
                     const std::string& user, const std::string& password,
                     std::uint32_t service, std::uint32_t flags, std::uintptr_t context) override;
  bool put_file(InetHandle connection, const std::string& local_path,
                const std::string& remote_path, std::uint32_t flags,
                std::uintptr_t context) override;
  bool close_handle(InetHandle handle) override;
  std::uint32_t last_error() const override { return last_error_; }
  bool last_response_info(std::uint32_t* error, char* buffer, std::uint32_t* length) override;
  void autodial_hangup(std::uint32_t reserved) override;

 private:
  bool belongs_to_callback_session(InetHandle handle) const;

  platform::StatusCallback callback_;
  std::map<InetHandle, InetHandle> session_of_;  // connection -> session
  InetHandle next_connection_ = 0x200;
  std::uint32_t last_error_ = 0;
};

// Hands out the scripted readings in order, then repeats the last one.
class ScriptedClock : public platform::Clock {
 public:
  ScriptedClock() = default;
  explicit ScriptedClock(std::vector<platform::LocalDateTime> readings)
      : readings_(std::move(readings)) {}
  platform::LocalDateTime now() override {
    ++reads;
    if (readings_.empty()) return {};
    const platform::LocalDateTime t = readings_.front();
    if (readings_.size() > 1) readings_.erase(readings_.begin());
    return t;
  }
  void set(std::vector<platform::LocalDateTime> readings) { readings_ = std::move(readings); }
  int reads = 0;

 private:
  std::vector<platform::LocalDateTime> readings_;
};

}  // namespace quillon::testing

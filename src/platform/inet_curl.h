#pragma once
// The internet layer on libcurl, visible for its tests and the benchmark.
#include <map>
#include <memory>

#include "platform/inet.h"

namespace quillon::platform {

class CurlInternet final : public Internet {
 public:
  explicit CurlInternet(const InternetTimeouts& timeouts = {});
  ~CurlInternet() override;
  CurlInternet(const CurlInternet&) = delete;
  CurlInternet& operator=(const CurlInternet&) = delete;

  InetHandle open() override;
  void set_status_callback(InetHandle session, StatusCallback callback) override;
  InetHandle connect(InetHandle session, const std::string& host, std::uint16_t port,
                     const std::string& user, const std::string& password,
                     std::uint32_t service, std::uint32_t flags,
                     std::uintptr_t context) override;
  bool put_file(InetHandle connection, const std::string& local_path,
                const std::string& remote_path, std::uint32_t flags,
                std::uintptr_t context) override;
  bool close_handle(InetHandle handle) override;
  std::uint32_t last_error() const override { return last_error_; }
  bool last_response_info(std::uint32_t* error, char* buffer, std::uint32_t* length) override;
  void autodial_hangup(std::uint32_t reserved) override;

  // There is no dial-up line to drop here; the calls are only counted.
  int hangup_calls() const { return hangup_calls_; }

  struct Connection;

 private:
  struct Session {
    StatusCallback callback;
  };

  bool fail(std::uint32_t error);
  void notify(const Connection& c, std::uint32_t bytes);
  void record_reply_line(Connection& c, std::string_view line);
  std::uint32_t map_result(const Connection& c, int code) const;
  void free_connection(std::unique_ptr<Connection> c);

  friend struct CurlCallbacks;

  InternetTimeouts timeouts_;
  std::map<InetHandle, Session> sessions_;
  std::map<InetHandle, std::unique_ptr<Connection>> connections_;
  InetHandle next_handle_ = 0x10;
  std::uint32_t last_error_ = 0;
  std::string last_response_;
  std::uint32_t last_response_code_ = 0;
  int hangup_calls_ = 0;
};

}  // namespace quillon::platform

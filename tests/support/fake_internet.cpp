#include "support/fake_internet.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace quillon::testing {

namespace inet_error = platform::inet_error;

bool FakeInternet::belongs_to_callback_session(InetHandle handle) const {
  if (!callback_ || callback_session == 0) return false;
  if (handle == callback_session) return true;
  auto it = session_of_.find(handle);
  return it != session_of_.end() && it->second == callback_session;
}

void FakeInternet::notify(InetHandle handle, std::uintptr_t context, std::uint32_t status) {
  if (context == 0 || !belongs_to_callback_session(handle)) return;
  callback_(handle, context, status, nullptr, 0);
}

std::vector<platform::InetHandle> FakeInternet::open_connections() const {
  std::vector<InetHandle> out;
  for (const auto& [connection, session] : session_of_) out.push_back(connection);
  return out;
}

platform::InetHandle FakeInternet::open() {
  calls.push_back("open");
  if (open_handle == 0) last_error_ = open_error;
  return open_handle;
}

void FakeInternet::set_status_callback(InetHandle session, platform::StatusCallback callback) {
  calls.push_back("set_status_callback");
  callback_session = session;
  callback_ = std::move(callback);
}

platform::InetHandle FakeInternet::connect(InetHandle session, const std::string& host,
                                           std::uint16_t port, const std::string& user,
                                           const std::string& password, std::uint32_t service,
                                           std::uint32_t flags, std::uintptr_t context) {
  calls.push_back("connect");
  connects.push_back({session, host, port, user, password, service, flags, context});
  // The layer reports progress on the session while it logs in.
  if (session != 0 && session == callback_session)
    for (std::uint32_t s : connect_notifications) notify(session, context, s);
  if (session == 0) {
    last_error_ = inet_error::kInvalidHandle;
    return 0;
  }
  if (connect_error) {
    last_error_ = *connect_error;
    return 0;
  }
  const InetHandle h = next_connection_++;
  session_of_[h] = session;
  return h;
}

bool FakeInternet::put_file(InetHandle connection, const std::string& local_path,
                            const std::string& remote_path, std::uint32_t flags,
                            std::uintptr_t context) {
  calls.push_back("put_file");
  PutCall call{connection, local_path, remote_path, flags, context, std::nullopt};
  if (std::ifstream in(local_path, std::ios::binary); in)
    call.local_bytes.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  puts.push_back(std::move(call));
  if (session_of_.count(connection) == 0) {
    last_error_ = inet_error::kInvalidHandle;
    return false;
  }
  for (std::uint32_t s : put_notifications) notify(connection, context, s);
  if (during_put) during_put();
  if (put_error) {
    last_error_ = *put_error;
    return false;
  }
  return true;
}

bool FakeInternet::close_handle(InetHandle handle) {
  calls.push_back("close");
  closed.push_back(handle);
  Outcome outcome;
  if (!close_outcomes.empty()) {
    outcome = close_outcomes.front();
    close_outcomes.pop_front();
  }
  if (!outcome.ok) {
    last_error_ = outcome.error;
    return false;
  }
  session_of_.erase(handle);
  return true;
}

bool FakeInternet::last_response_info(std::uint32_t* error, char* buffer, std::uint32_t* length) {
  calls.push_back("last_response_info");
  response_lengths.push_back(*length);
  bool ok = false;
  if (!response) {
    last_error_ = response_error;
  } else if (*length < response->size() + 1) {
    *length = static_cast<std::uint32_t>(response->size() + 1);
    last_error_ = inet_error::kInsufficientBuffer;
  } else {
    std::memcpy(buffer, response->data(), response->size());
    buffer[response->size()] = '\0';
    *error = 0;
    *length = response_length_override.value_or(static_cast<std::uint32_t>(response->size()));
    ok = true;
  }
  response_reported.push_back(*length);
  return ok;
}

void FakeInternet::autodial_hangup(std::uint32_t reserved) {
  calls.push_back("autodial_hangup");
  hangups.push_back(reserved);
}

}  // namespace quillon::testing

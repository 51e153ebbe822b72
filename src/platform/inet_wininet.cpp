#include <windows.h>
#include <wininet.h>

#include <map>
#include <memory>
#include <string_view>

#include "platform/files.h"
#include "platform/inet.h"
#include "platform/inet_watchdog_win.h"
#include "platform/test_switch.h"

namespace quillon::platform {
namespace {

constexpr std::size_t kChunk = 4096;  // one request-sent notification per chunk
// The commands WinINet sends to log in (USER, PASS) and to open a store
// (TYPE, PORT or PASV, STOR). The layer raises request-sent for them itself:
// Windows does, Wine does not, and the callers count them.
constexpr int kLoginCommands = 2;
constexpr int kStoreCommands = 3;

HINTERNET handle_of(InetHandle h) { return reinterpret_cast<HINTERNET>(h); }

// Wine's WinINet lets the socket's own error through where Windows names it.
DWORD inet_error_of(DWORD error) {
  switch (error) {
    case WSAECONNRESET: return ERROR_INTERNET_CONNECTION_RESET;
    case WSAECONNABORTED: return ERROR_INTERNET_CONNECTION_ABORTED;
    case WSAETIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case WSAECONNREFUSED: return ERROR_INTERNET_CANNOT_CONNECT;
    default: return error;
  }
}

// A CR, LF or NUL would let a value end the FTP command early and start another.
bool unsafe(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

// What WinINet hands back as the context of a connection's notifications: the
// caller's context, the callback of its session and the layer's watchdog.
struct Link {
  std::uintptr_t context = 0;
  const StatusCallback* callback = nullptr;
  InetWatchdog* watchdog = nullptr;
  HINTERNET session = nullptr;
  bool quiet = false;   // during a store, the layer itself notifies per chunk
  bool busy = false;    // a store is under way
  bool closed = false;  // the watchdog closed it; only the caller's close is left
  bool active = true;   // the server opens the data connection, within the accept bound

  void notify(InetHandle handle, std::uint32_t status, const void* info, std::uint32_t length) const {
    if (context != 0 && callback && *callback) (*callback)(handle, context, status, info, length);
  }
};

void CALLBACK on_status(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  const auto* link = reinterpret_cast<const Link*>(context);
  if (link == nullptr || InetWatchdog::on_watchdog_thread()) return;
  if (status == INTERNET_STATUS_HANDLE_CREATED && info != nullptr && length >= sizeof(INTERNET_ASYNC_RESULT))
    link->watchdog->watch(reinterpret_cast<HINTERNET>(static_cast<const INTERNET_ASYNC_RESULT*>(info)->dwResult));
  if (!link->quiet && status != INTERNET_STATUS_REQUEST_SENT)
    link->notify(reinterpret_cast<InetHandle>(handle), status, info, length);
}

class WinInetInternet final : public Internet {
 public:
  explicit WinInetInternet(const InternetTimeouts& t) : timeouts_(t) {}
  ~WinInetInternet() override {
    for (auto& [connection, link] : links_)
      if (!link->closed) ::InternetCloseHandle(connection);
  }

  InetHandle open() override {
    HINTERNET session = ::InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session == nullptr) return fail(::GetLastError());
    for (const auto& [option, ms] : {std::pair<DWORD, long>{INTERNET_OPTION_CONNECT_TIMEOUT, timeouts_.connect_ms},
                                     {INTERNET_OPTION_RECEIVE_TIMEOUT, timeouts_.reply_ms},
                                     {INTERNET_OPTION_SEND_TIMEOUT, timeouts_.stall_ms}}) {
      DWORD value = static_cast<DWORD>(ms);
      ::InternetSetOptionA(session, option, &value, sizeof value);
    }
    // The layer's own callback from the start: the watchdog learns of new
    // handles through it.
    ::InternetSetStatusCallbackA(session, &on_status);
    callbacks_[session] = std::make_unique<StatusCallback>();
    return reinterpret_cast<InetHandle>(session);
  }

  void set_status_callback(InetHandle session, StatusCallback callback) override {
    const auto it = callbacks_.find(handle_of(session));
    if (it != callbacks_.end()) *it->second = std::move(callback);
  }

  InetHandle connect(InetHandle session, const std::string& host, std::uint16_t port, const std::string& user,
                     const std::string& password, std::uint32_t service, std::uint32_t flags,
                     std::uintptr_t context) override {
    const auto it = callbacks_.find(handle_of(session));
    if (it == callbacks_.end()) return fail(ERROR_INVALID_HANDLE);
    if (busy_) return fail(ERROR_BUSY);
    if (service != kServiceFtp || host.empty() || unsafe(host) || unsafe(user) || unsafe(password))
      return fail(ERROR_INVALID_PARAMETER);
    auto link = std::make_unique<Link>(Link{context, it->second.get(), &watchdog_, it->first});
    link->active = (flags & kFlagPassive) == 0;
    watchdog_.reset();
    watchdog_.arm(nullptr, timeouts_.connect_ms);
    HINTERNET connection =
        ::InternetConnectA(handle_of(session), host.c_str(), port, user.c_str(), password.c_str(), INTERNET_SERVICE_FTP,
                           flags & ~static_cast<std::uint32_t>(kFlagAsync), reinterpret_cast<DWORD_PTR>(link.get()));
    const DWORD error = ::GetLastError();
    if (watchdog_.disarm()) {
      if (connection != nullptr) ::InternetCloseHandle(connection);
      return fail(ERROR_INTERNET_TIMEOUT);
    }
    if (connection == nullptr) return fail(error);
    for (int i = 0; i < kLoginCommands; ++i)
      link->notify(reinterpret_cast<InetHandle>(connection), kStatusRequestSent, nullptr, 0);
    links_[connection] = std::move(link);
    return reinterpret_cast<InetHandle>(connection);
  }

  // FtpPutFileA stores the file, but under Wine raises no progress: the layer
  // writes the document itself in chunks and notifies after each.
  bool put_file(InetHandle connection, const std::string& local_path, const std::string& remote_path,
                std::uint32_t flags, std::uintptr_t context) override {
    const auto it = links_.find(handle_of(connection));
    if (it == links_.end())
      return fail(callbacks_.count(handle_of(connection)) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE
                                                          : ERROR_INVALID_HANDLE) != 0;
    Link& link = *it->second;
    data_opened_ = false;
    if (link.busy) return fail(ERROR_BUSY) != 0;
    if (link.closed) return fail(ERROR_INTERNET_CONNECTION_ABORTED) != 0;
    if (remote_path.empty() || unsafe(remote_path)) return fail(ERROR_INVALID_PARAMETER) != 0;
    std::string bytes;
    if (!ordinary_file_exists(local_path) || !read_whole_file(local_path, bytes))
      return fail(ERROR_FILE_NOT_FOUND) != 0;
    const std::uintptr_t caller_context = link.context;
    link.context = context;
    link.quiet = link.busy = busy_ = true;
    const DWORD error = store(it->first, link, bytes, remote_path, (flags & 3u) == kTransferAscii);
    link.quiet = link.busy = busy_ = false;
    link.context = caller_context;
    return error == 0 || fail(error) != 0;
  }

  bool data_opened() const override { return data_opened_; }

  bool close_handle(InetHandle handle) override {
    if (busy_) {
      const auto it = links_.find(handle_of(handle));
      if (callbacks_.count(handle_of(handle)) || (it != links_.end() && it->second->busy)) return fail(ERROR_BUSY) != 0;
    }
    const auto link = links_.find(handle_of(handle));
    if (link != links_.end() && link->second->closed) {  // the watchdog closed it after a timeout
      links_.erase(link);
      return true;
    }
    if (!::InternetCloseHandle(handle_of(handle))) return fail(::GetLastError()) != 0;
    if (link != links_.end()) links_.erase(link);
    if (callbacks_.erase(handle_of(handle)))  // its connections went with it
      std::erase_if(links_, [&](const auto& l) { return l.second->session == handle_of(handle); });
    return true;
  }

  std::uint32_t last_error() const override { return last_error_; }

  bool last_response_info(std::uint32_t* error, char* buffer, std::uint32_t* length) override {
    DWORD code = 0, size = length ? *length : 0;
    const BOOL ok = ::InternetGetLastResponseInfoA(&code, buffer, &size);
    if (length) *length = size;
    if (error) *error = code;
    return ok || fail(::GetLastError()) != 0;
  }

  void autodial_hangup(std::uint32_t reserved) override { ::InternetAutodialHangup(reserved); }

 private:
  // Opens the remote file, writes the bytes in chunks, closes it; every
  // blocking call under the watchdog. Returns 0 or the error.
  DWORD store(HINTERNET connection, Link& link, const std::string& bytes, const std::string& remote_path, bool ascii) {
    watchdog_.reset();
    watchdog_.arm(connection, link.active ? timeouts_.accept_ms : timeouts_.reply_ms);
    HINTERNET file =
        ::FtpOpenFileA(connection, remote_path.c_str(), GENERIC_WRITE,
                       ascii ? FTP_TRANSFER_TYPE_ASCII : FTP_TRANSFER_TYPE_BINARY, reinterpret_cast<DWORD_PTR>(&link));
    DWORD error = file == nullptr ? ::GetLastError() : 0;
    data_opened_ = file != nullptr;  // open once the server's data connection is
    for (int i = 0; error == 0 && i < kStoreCommands; ++i)
      link.notify(reinterpret_cast<InetHandle>(connection), kStatusRequestSent, nullptr, 0);
    for (std::size_t at = 0; error == 0 && at < bytes.size(); at += kChunk) {
      const DWORD want = static_cast<DWORD>(std::min(kChunk, bytes.size() - at));
      DWORD written = 0;
      watchdog_.arm(file, timeouts_.stall_ms);
      if (!::InternetWriteFile(file, bytes.data() + at, want, &written) || written != want)
        error = written != want && ::GetLastError() == 0 ? ERROR_INTERNET_CONNECTION_ABORTED : ::GetLastError();
      else link.notify(reinterpret_cast<InetHandle>(connection), kStatusRequestSent, &written, sizeof written);
    }
    watchdog_.arm(connection, timeouts_.reply_ms);  // the server's word on the data
    if (file != nullptr && !::InternetCloseHandle(file) && error == 0) error = ::GetLastError();
    if (watchdog_.disarm()) {
      link.closed = true;
      return ERROR_INTERNET_TIMEOUT;
    }
    // Stored only when the server said so after the data (226 or 250).
    if (error == 0 && !final_reply_is_success()) return ERROR_INTERNET_EXTENDED_ERROR;
    return error;
  }

  InetHandle fail(DWORD error) {
    last_error_ = inet_error_of(error);
    return 0;
  }
  bool final_reply_is_success() {
    char reply[512];
    DWORD code = 0, size = sizeof reply;
    return ::InternetGetLastResponseInfoA(&code, reply, &size) && size > 0 && reply[0] == '2';
  }

  InternetTimeouts timeouts_;
  bool data_opened_ = false;  // by the last put
  InetWatchdog watchdog_;
  std::map<HINTERNET, std::unique_ptr<StatusCallback>> callbacks_;  // by session
  std::map<HINTERNET, std::unique_ptr<Link>> links_;                // by connection
  std::uint32_t last_error_ = 0;
  bool busy_ = false;
};

}  // namespace

std::unique_ptr<Internet> make_internet(const InternetTimeouts& timeouts) {
  return with_test_switches(std::make_unique<WinInetInternet>(switched_timeouts(timeouts)));
}

}  // namespace quillon::platform

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string_view>

#include "platform/files.h"
#include "platform/inet.h"
#include "platform/inet_reply.h"
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

// What WinINet hands back as the context of the connection's notifications:
// the session's callback and the layer's watchdog.
struct Link {
  const StatusCallback* callback = nullptr;
  InetWatchdog* watchdog = nullptr;
  bool quiet = false;   // during a store, the layer itself notifies per chunk
  bool closed = false;  // the watchdog closed it; only the caller's close is left
  bool active = true;   // the server opens the data connection, within the accept bound

  void notify(std::uint32_t status) const {
    if (callback && *callback) (*callback)(status);
  }
};

void CALLBACK on_status(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  const auto* link = reinterpret_cast<const Link*>(context);
  if (link == nullptr || InetWatchdog::on_watchdog_thread()) return;
  if (status == INTERNET_STATUS_HANDLE_CREATED && info != nullptr && length >= sizeof(INTERNET_ASYNC_RESULT))
    link->watchdog->watch(reinterpret_cast<HINTERNET>(static_cast<const INTERNET_ASYNC_RESULT*>(info)->dwResult));
  if (!link->quiet && status != INTERNET_STATUS_REQUEST_SENT) link->notify(status);
}

// The thread's last reply from the server, as InternetGetLastResponseInfoA gives it.
std::string last_reply() {
  return read_reply([](char* buffer, std::uint32_t* length, std::uint32_t* error) {
    DWORD code = 0, size = *length;
    const BOOL ok = ::InternetGetLastResponseInfoA(&code, buffer, &size);
    *length = size;
    if (!ok) *error = ::GetLastError();
    return ok != FALSE;
  });
}

// Marks the layer busy for one call: calls from inside its notifications fail.
class Busy {
 public:
  explicit Busy(bool& busy) : busy_(busy) { busy_ = true; }
  ~Busy() { busy_ = false; }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  bool& busy_;
};

class WinInetInternet final : public Internet {
 public:
  explicit WinInetInternet(const InternetTimeouts& t) : timeouts_(t) {}
  ~WinInetInternet() override {
    if (connection_ != nullptr && !link_->closed) ::InternetCloseHandle(connection_);
  }

  InetResult open(StatusCallback status) override {
    if (busy_) return fail(ERROR_BUSY);
    status_ = std::move(status);
    if (session_ != nullptr) return done();
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
    session_ = session;
    return done();
  }

  InetResult connect(const FtpLogin& login) override {
    if (busy_ || connection_ != nullptr) return fail(ERROR_BUSY);
    if (session_ == nullptr) return fail(ERROR_INVALID_HANDLE);
    if (login.host.empty() || unsafe(login.host) || unsafe(login.user) || unsafe(login.password))
      return fail(ERROR_INVALID_PARAMETER);
    const Busy busy(busy_);
    auto link = std::make_unique<Link>(Link{&status_, &watchdog_});
    link->active = !login.passive;
    watchdog_.reset();
    watchdog_.arm(nullptr, timeouts_.connect_ms);
    HINTERNET connection = ::InternetConnectA(
        session_, login.host.c_str(), login.port, login.user.c_str(), login.password.c_str(), INTERNET_SERVICE_FTP,
        login.passive ? INTERNET_FLAG_PASSIVE : 0, reinterpret_cast<DWORD_PTR>(link.get()));
    const DWORD error = ::GetLastError();
    if (watchdog_.disarm()) {
      if (connection != nullptr) ::InternetCloseHandle(connection);
      return fail(ERROR_INTERNET_TIMEOUT);
    }
    if (connection == nullptr) return fail(error);
    for (int i = 0; i < kLoginCommands; ++i) link->notify(kStatusRequestSent);
    connection_ = connection;
    link_ = std::move(link);
    return done();
  }

  // FtpPutFileA stores the file, but under Wine raises no progress: the layer
  // writes the document itself in chunks and notifies after each.
  InetResult put_file(const std::string& local_path, const std::string& remote_path, TransferType type) override {
    if (busy_) return fail(ERROR_BUSY);
    if (connection_ == nullptr) return fail(ERROR_INVALID_HANDLE);
    if (link_->closed) return fail(ERROR_INTERNET_CONNECTION_ABORTED);
    if (remote_path.empty() || unsafe(remote_path)) return fail(ERROR_INVALID_PARAMETER);
    std::string bytes;
    if (!ordinary_file_exists(local_path) || !read_whole_file(local_path, bytes)) return fail(ERROR_FILE_NOT_FOUND);
    const Busy busy(busy_);
    link_->quiet = true;
    bool data_opened = false;
    const DWORD error = store(bytes, remote_path, type == TransferType::Ascii, data_opened);
    link_->quiet = false;
    InetResult result = error == 0 ? done() : fail(error);
    result.data_opened = data_opened;
    return result;
  }

  InetResult close() override {
    if (busy_) return fail(ERROR_BUSY);
    if (connection_ == nullptr) return fail(ERROR_INVALID_HANDLE);
    // The watchdog closed it after a timeout: only ours to forget.
    if (!link_->closed && !::InternetCloseHandle(connection_)) return fail(::GetLastError());
    connection_ = nullptr;
    link_.reset();
    return done();
  }

  void autodial_hangup() override { ::InternetAutodialHangup(0); }

 private:
  // Opens the remote file, writes the bytes in chunks, closes it; every
  // blocking call under the watchdog. Returns 0 or the error.
  DWORD store(const std::string& bytes, const std::string& remote_path, bool ascii, bool& data_opened) {
    Link& link = *link_;
    watchdog_.reset();
    watchdog_.arm(connection_, link.active ? timeouts_.accept_ms : timeouts_.reply_ms);
    HINTERNET file =
        ::FtpOpenFileA(connection_, remote_path.c_str(), GENERIC_WRITE,
                       ascii ? FTP_TRANSFER_TYPE_ASCII : FTP_TRANSFER_TYPE_BINARY, reinterpret_cast<DWORD_PTR>(&link));
    DWORD error = file == nullptr ? ::GetLastError() : 0;
    data_opened = file != nullptr;  // open once the server's data connection is
    for (int i = 0; error == 0 && i < kStoreCommands; ++i) link.notify(kStatusRequestSent);
    for (std::size_t at = 0; error == 0 && at < bytes.size(); at += kChunk) {
      const DWORD want = static_cast<DWORD>(std::min(kChunk, bytes.size() - at));
      DWORD written = 0;
      watchdog_.arm(file, timeouts_.stall_ms);
      if (!::InternetWriteFile(file, bytes.data() + at, want, &written) || written != want)
        error = written != want && ::GetLastError() == 0 ? ERROR_INTERNET_CONNECTION_ABORTED : ::GetLastError();
      else link.notify(kStatusRequestSent);
    }
    watchdog_.arm(connection_, timeouts_.reply_ms);  // the server's word on the data
    if (file != nullptr && !::InternetCloseHandle(file) && error == 0) error = ::GetLastError();
    if (watchdog_.disarm()) {
      link.closed = true;
      return ERROR_INTERNET_TIMEOUT;
    }
    // Stored only when the server said so after the data (226 or 250).
    if (error == 0 && last_reply().substr(0, 1) != "2") return ERROR_INTERNET_EXTENDED_ERROR;
    return error;
  }

  // The error read first: reading the reply sets the thread's last error.
  static InetResult fail(DWORD error) { return {inet_error_of(error), last_reply()}; }
  static InetResult done() { return {0, last_reply()}; }

  InternetTimeouts timeouts_;
  InetWatchdog watchdog_;
  StatusCallback status_;
  HINTERNET session_ = nullptr;
  HINTERNET connection_ = nullptr;
  std::unique_ptr<Link> link_;  // of the connection
  bool busy_ = false;           // inside a call that notifies
};

}  // namespace

std::unique_ptr<Internet> make_internet(const InternetTimeouts& timeouts) {
  return with_test_switches(std::make_unique<WinInetInternet>(switched_timeouts(timeouts)));
}

}  // namespace quillon::platform

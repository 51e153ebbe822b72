#include <windows.h>
#include <wininet.h>

#include <map>
#include <memory>
#include <string_view>

#include "platform/files.h"
#include "platform/inet.h"

namespace quillon::platform {
namespace {

constexpr std::size_t kChunk = 4096;  // one request-sent notification per chunk

HINTERNET handle_of(InetHandle h) { return reinterpret_cast<HINTERNET>(h); }

// A CR, LF or NUL would let a value end the FTP command early and start another.
bool unsafe(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

// What WinINet hands back as the context of a connection's notifications: the
// caller's context and the callback of its session.
struct Link {
  std::uintptr_t context = 0;
  const StatusCallback* callback = nullptr;
  bool quiet = false;  // during a store, the layer itself notifies per chunk

  void notify(InetHandle handle, std::uint32_t status, const void* info, std::uint32_t length) const {
    if (context != 0 && callback && *callback) (*callback)(handle, context, status, info, length);
  }
};

void CALLBACK on_status(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  const auto* link = reinterpret_cast<const Link*>(context);
  if (link != nullptr && !link->quiet) link->notify(reinterpret_cast<InetHandle>(handle), status, info, length);
}

class WinInetInternet final : public Internet {
 public:
  explicit WinInetInternet(const InternetTimeouts& t) : timeouts_(t) {}
  ~WinInetInternet() override {
    for (auto& [connection, link] : links_) ::InternetCloseHandle(connection);
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
    callbacks_[session] = std::make_unique<StatusCallback>();
    return reinterpret_cast<InetHandle>(session);
  }

  void set_status_callback(InetHandle session, StatusCallback callback) override {
    const auto it = callbacks_.find(handle_of(session));
    if (it == callbacks_.end()) return;
    *it->second = std::move(callback);
    ::InternetSetStatusCallbackA(handle_of(session), &on_status);
  }

  InetHandle connect(InetHandle session, const std::string& host, std::uint16_t port, const std::string& user,
                     const std::string& password, std::uint32_t service, std::uint32_t flags,
                     std::uintptr_t context) override {
    const auto it = callbacks_.find(handle_of(session));
    if (it == callbacks_.end()) return fail(ERROR_INVALID_HANDLE);
    if (service != kServiceFtp || host.empty() || unsafe(host) || unsafe(user) || unsafe(password))
      return fail(ERROR_INVALID_PARAMETER);
    auto link = std::make_unique<Link>(Link{context, it->second.get()});
    HINTERNET connection =
        ::InternetConnectA(handle_of(session), host.c_str(), port, user.c_str(), password.c_str(),
                           INTERNET_SERVICE_FTP, flags & ~static_cast<std::uint32_t>(kFlagAsync),
                           reinterpret_cast<DWORD_PTR>(link.get()));
    if (connection == nullptr) return fail(::GetLastError());
    links_[connection] = std::move(link);
    return reinterpret_cast<InetHandle>(connection);
  }

  // FtpPutFileA stores the file, but under Wine raises no progress: the layer
  // writes the document itself in chunks and notifies after each.
  bool put_file(InetHandle connection, const std::string& local_path, const std::string& remote_path,
                std::uint32_t flags, std::uintptr_t context) override {
    const auto it = links_.find(handle_of(connection));
    if (it == links_.end()) return fail(callbacks_.count(handle_of(connection)) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE
                                                                              : ERROR_INVALID_HANDLE) != 0;
    if (remote_path.empty() || unsafe(remote_path)) return fail(ERROR_INVALID_PARAMETER) != 0;
    std::string bytes;
    if (!ordinary_file_exists(local_path) || !read_whole_file(local_path, bytes)) return fail(ERROR_FILE_NOT_FOUND) != 0;
    Link& link = *it->second;
    const std::uintptr_t caller_context = link.context;
    link.context = context;
    link.quiet = true;
    const DWORD type = (flags & 3u) == kTransferAscii ? FTP_TRANSFER_TYPE_ASCII : FTP_TRANSFER_TYPE_BINARY;
    HINTERNET file = ::FtpOpenFileA(it->first, remote_path.c_str(), GENERIC_WRITE, type,
                                    reinterpret_cast<DWORD_PTR>(&link));
    bool ok = file != nullptr;
    DWORD error = ok ? 0 : ::GetLastError();
    for (std::size_t at = 0; ok && at < bytes.size(); at += kChunk) {
      const DWORD want = static_cast<DWORD>(std::min(kChunk, bytes.size() - at));
      DWORD written = 0;
      ok = ::InternetWriteFile(file, bytes.data() + at, want, &written) && written == want;
      if (!ok) error = ::GetLastError();
      if (ok) link.notify(connection, kStatusRequestSent, &written, sizeof written);
    }
    if (file != nullptr && !::InternetCloseHandle(file) && ok) {
      ok = false;
      error = ::GetLastError();
    }
    link.quiet = false;
    link.context = caller_context;
    // Stored only when the server said so after the data (226 or 250).
    if (ok && !final_reply_is_success()) return fail(ERROR_INTERNET_EXTENDED_ERROR) != 0;
    return ok || fail(error == 0 ? ERROR_INTERNET_CONNECTION_ABORTED : error) != 0;
  }

  bool close_handle(InetHandle handle) override {
    if (!::InternetCloseHandle(handle_of(handle))) return fail(::GetLastError()) != 0;
    links_.erase(handle_of(handle));
    callbacks_.erase(handle_of(handle));
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
  InetHandle fail(DWORD error) {
    last_error_ = error;
    return 0;
  }
  bool final_reply_is_success() {
    char reply[512];
    DWORD code = 0, size = sizeof reply;
    return ::InternetGetLastResponseInfoA(&code, reply, &size) && size > 0 && reply[0] == '2';
  }

  InternetTimeouts timeouts_;
  std::map<HINTERNET, std::unique_ptr<StatusCallback>> callbacks_;  // by session
  std::map<HINTERNET, std::unique_ptr<Link>> links_;               // by connection
  std::uint32_t last_error_ = 0;
};

}  // namespace

std::unique_ptr<Internet> make_internet(const InternetTimeouts& timeouts) {
  return std::make_unique<WinInetInternet>(timeouts);
}

}  // namespace quillon::platform

#pragma once
// A small internet layer with the operations and results the FTP stages rely on,
// numbered like WinINet so that a Windows build can put WinINet behind it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillon::platform {

using InetHandle = std::uintptr_t;  // 0 means none

// Last-error values, in WinINet numbering.
namespace inet_error {
inline constexpr std::uint32_t kInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER
inline constexpr std::uint32_t kTimeout = 12002;           // ERROR_INTERNET_TIMEOUT
inline constexpr std::uint32_t kExtendedError = 12003;     // ERROR_INTERNET_EXTENDED_ERROR
inline constexpr std::uint32_t kInvalidUrl = 12005;        // ERROR_INTERNET_INVALID_URL
inline constexpr std::uint32_t kNameNotResolved = 12007;   // ERROR_INTERNET_NAME_NOT_RESOLVED
inline constexpr std::uint32_t kIncorrectHandleType = 12018;
inline constexpr std::uint32_t kCannotConnect = 12029;  // ERROR_INTERNET_CANNOT_CONNECT
inline constexpr std::uint32_t kConnectionAborted = 12030;
inline constexpr std::uint32_t kConnectionReset = 12031;
inline constexpr std::uint32_t kInvalidHandle = 6;      // ERROR_INVALID_HANDLE
inline constexpr std::uint32_t kFileNotFound = 2;       // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
}  // namespace inet_error

inline constexpr std::uint32_t kStatusRequestSent = 31;    // INTERNET_STATUS_REQUEST_SENT
inline constexpr std::uint32_t kServiceFtp = 1;            // INTERNET_SERVICE_FTP
inline constexpr std::uint32_t kFlagAsync = 0x10000000;    // INTERNET_FLAG_ASYNC
inline constexpr std::uint32_t kFlagPassive = 0x08000000;  // INTERNET_FLAG_PASSIVE
inline constexpr std::uint32_t kTransferAscii = 1;         // FTP_TRANSFER_TYPE_ASCII
inline constexpr std::uint32_t kTransferBinary = 2;        // FTP_TRANSFER_TYPE_BINARY

// Delivered on the calling thread, from inside connect and put_file, for
// handles whose context value is not 0.
using StatusCallback = std::function<void(InetHandle handle, std::uintptr_t context, std::uint32_t status,
                                          const void* info, std::uint32_t info_length)>;

class Internet {
 public:
  virtual ~Internet() = default;

  // InternetOpenA: a session handle, or 0 with last_error() set.
  virtual InetHandle open() = 0;
  // InternetSetStatusCallbackA.
  virtual void set_status_callback(InetHandle session, StatusCallback callback) = 0;
  // InternetConnectA for FTP: logs in and keeps the control connection open.
  // 0 on failure with last_error() set (12003 when the server answered with an
  // error reply; its text is then the last response).
  virtual InetHandle connect(InetHandle session, const std::string& host, std::uint16_t port, const std::string& user,
                             const std::string& password, std::uint32_t service, std::uint32_t flags,
                             std::uintptr_t context) = 0;
  // FtpPutFileA: stores the local file (a native path) under the absolute remote path.
  virtual bool put_file(InetHandle connection, const std::string& local_path, const std::string& remote_path,
                        std::uint32_t flags, std::uintptr_t context) = 0;
  // After a failed put_file: whether its data connection ever opened.
  virtual bool data_opened() const = 0;
  // InternetCloseHandle: for a connection, sends QUIT and closes it.
  virtual bool close_handle(InetHandle handle) = 0;
  // The calling thread's last-error value after a failed call.
  virtual std::uint32_t last_error() const = 0;
  // InternetGetLastResponseInfoA: on success *length is the byte count written
  // (no terminating zero counted); when the buffer is too small it fails with
  // last_error() 122 and *length set to the size needed.
  virtual bool last_response_info(std::uint32_t* error, char* buffer, std::uint32_t* length) = 0;
  // InternetAutodialHangup.
  virtual void autodial_hangup(std::uint32_t reserved) = 0;
  // A run that will connect soon says so: a layer loaded on first use may
  // start loading now, off the calling thread.
  virtual void load_ahead() {}
};

// Bounds of the layer, so that a silent server never hangs the program.
struct InternetTimeouts {
  long connect_ms = 15000;  // TCP connect and login
  long reply_ms = 30000;    // each server reply
  long accept_ms = 30000;   // the server opening the active data connection
  long stall_ms = 30000;    // a transfer moving no byte (checked about once a second)
};

// The layer of the system the program was built for.
std::unique_ptr<Internet> make_internet(const InternetTimeouts& timeouts = {});

}  // namespace quillon::platform

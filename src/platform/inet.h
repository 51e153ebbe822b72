#pragma once
// A small internet layer with the operations the FTP stages rely on: one
// session, at most one FTP connection, and each call returning what happened,
// its failures numbered like WinINet's so that a Windows build can put
// WinINet behind it.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace quillon::platform {

// Last-error values, in WinINet numbering.
namespace inet_error {
inline constexpr std::uint32_t kInsufficientBuffer = 122;     // ERROR_INSUFFICIENT_BUFFER
inline constexpr std::uint32_t kTimeout = 12002;              // ERROR_INTERNET_TIMEOUT
inline constexpr std::uint32_t kExtendedError = 12003;        // ERROR_INTERNET_EXTENDED_ERROR
inline constexpr std::uint32_t kInvalidUrl = 12005;           // ERROR_INTERNET_INVALID_URL
inline constexpr std::uint32_t kNameNotResolved = 12007;      // ERROR_INTERNET_NAME_NOT_RESOLVED
inline constexpr std::uint32_t kIncorrectHandleType = 12018;  // ERROR_INTERNET_INCORRECT_HANDLE_TYPE
inline constexpr std::uint32_t kCannotConnect = 12029;        // ERROR_INTERNET_CANNOT_CONNECT
inline constexpr std::uint32_t kConnectionAborted = 12030;
inline constexpr std::uint32_t kConnectionReset = 12031;
inline constexpr std::uint32_t kInvalidHandle = 6;      // ERROR_INVALID_HANDLE
inline constexpr std::uint32_t kFileNotFound = 2;       // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
inline constexpr std::uint32_t kBusy = 170;             // ERROR_BUSY
}  // namespace inet_error

inline constexpr std::uint32_t kStatusRequestSent = 31;  // INTERNET_STATUS_REQUEST_SENT

// What a call did.
struct InetResult {
  std::uint32_t error = 0;   // 0: done; 12003: the server answered with an error reply
  std::string reply;         // the server's last reply by the call's end, CP932 with its line ends; empty: none
  bool data_opened = false;  // a store: its data connection opened
  bool ok() const { return error == 0; }
  static InetResult failure(std::uint32_t error, std::string reply = {}) { return {error, std::move(reply), false}; }
};

// Told on the calling thread, from inside connect and put_file, once a
// notification: 31 for each request sent.
using StatusCallback = std::function<void(std::uint32_t status)>;

struct FtpLogin {
  std::string host;
  std::uint16_t port = 21;
  std::string user;
  std::string password;
  bool passive = false;  // the server opens no connection back to us
};

enum class TransferType { Ascii, Binary };

// Calls made from inside a notification of a transfer fail with 170.
class Internet {
 public:
  virtual ~Internet() = default;

  // The session (InternetOpenA), kept for the program's life; `status` hears
  // the notifications of the calls that follow.
  virtual InetResult open(StatusCallback status) = 0;
  // Logs in and keeps the control connection open (InternetConnectA): 6
  // without a session, 170 while a connection is open.
  virtual InetResult connect(const FtpLogin& login) = 0;
  // Stores the local file (a native path) under the absolute remote path, on
  // the connection (FtpPutFileA): 6 without one.
  virtual InetResult put_file(const std::string& local_path, const std::string& remote_path, TransferType type) = 0;
  // Sends QUIT and closes the connection (InternetCloseHandle): 6 without one.
  virtual InetResult close() = 0;
  // InternetAutodialHangup.
  virtual void autodial_hangup() = 0;
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

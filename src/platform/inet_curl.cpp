#include <curl/curl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/inet.h"

namespace quillon::platform {
namespace {

constexpr std::uint32_t kInternalError = 12004;  // ERROR_INTERNET_INTERNAL_ERROR
constexpr std::size_t kChunk = 4096;             // one request-sent notification per chunk
constexpr long kUploadBuffer = 65536;            // a server wakes once a buffer, not once a chunk

bool global_init_ok() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ok;
}

// Begun as the module loads, on the thread that loads it: an upload loads it
// on a thread of its own while it reads the log, so the 2 million
// instructions are off its way.
[[maybe_unused]] const bool kInitialisedAtLoad = global_init_ok();

// A CR, LF or NUL would let a value end the FTP command early and start another.
bool unsafe(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

long seconds_up(long ms) { return ms <= 0 ? 0 : (ms + 999) / 1000; }

std::string escape_segment(CURL* easy, std::string_view s) {
  if (s.empty()) return {};
  char* e = curl_easy_escape(easy, s.data(), static_cast<int>(s.size()));
  std::string out = e ? e : "";
  curl_free(e);
  return out;
}

// libcurl drops the URL's first slash; "%2F" keeps the path absolute, and each
// piece is escaped so the bytes reach STOR as they are.
std::string url_path(CURL* easy, const std::string& remote) {
  std::string out = "/";
  std::string_view rest = remote;
  if (!rest.empty() && rest.front() == '/') {
    out += "%2F";
    rest.remove_prefix(1);
  }
  for (;;) {
    const std::size_t slash = rest.find('/');
    out += escape_segment(easy, rest.substr(0, slash));
    if (slash == rest.npos) break;
    out += '/';
    rest.remove_prefix(slash + 1);
  }
  return out;
}

}  // namespace

// WinINet's operations on libcurl: one easy handle for the connection, kept logged in.
class CurlInternet final : public Internet {
 public:
  explicit CurlInternet(const InternetTimeouts& timeouts = {});
  ~CurlInternet() override;
  CurlInternet(const CurlInternet&) = delete;
  CurlInternet& operator=(const CurlInternet&) = delete;

  InetResult open(StatusCallback status) override;
  InetResult connect(const FtpLogin& login) override;
  InetResult put_file(const std::string& local_path, const std::string& remote_path, TransferType type) override;
  InetResult close() override;
  void autodial_hangup() override;

  struct Connection;

 private:
  InetResult result(std::uint32_t error, bool data_opened = false) const {
    return {error, last_response_, data_opened};
  }
  void notify();
  // libcurl must not be re-entered from its own callbacks: calls from there fail with 170.
  CURLcode perform(CURL* easy);
  void record_reply_line(Connection& c, std::string_view line);
  std::uint32_t map_result(const Connection& c, int code) const;
  static void free_connection(std::unique_ptr<Connection> c);

  friend struct CurlCallbacks;

  InternetTimeouts timeouts_;
  bool session_ = false;
  StatusCallback status_;
  std::unique_ptr<Connection> connection_;
  std::string last_response_;
  bool busy_ = false;  // inside a perform: the status callback runs
};

struct CurlInternet::Connection {
  CurlInternet* owner = nullptr;
  CURL* easy = nullptr;
  std::string base_url;  // ftp://host:port
  curl_slist* type_ascii = nullptr;
  curl_slist* type_binary = nullptr;
  // The server reply being read; a multi-line one ends on "ddd ".
  std::string reply;
  std::string multi_code;
  int last_code = 0;  // last complete reply of the call in progress
  std::FILE* file = nullptr;
  curl_off_t file_size = 0;
  // Stall watch over the data connection of the put in progress.
  bool data_started = false;
  bool stalled = false;
  curl_off_t last_sent = 0;
  std::chrono::steady_clock::time_point last_move;
  char error[CURL_ERROR_SIZE] = {};
};

struct CurlCallbacks {
  static int debug(CURL*, curl_infotype type, char* data, size_t size, void* userp) {
    auto* c = static_cast<CurlInternet::Connection*>(userp);
    if (type == CURLINFO_HEADER_OUT) {
      c->owner->notify();
    } else if (type == CURLINFO_HEADER_IN) {
      c->owner->record_reply_line(*c, std::string_view(data, size));
    }
    return 0;
  }

  static size_t read(char* buffer, size_t size, size_t count, void* userp) {
    auto* c = static_cast<CurlInternet::Connection*>(userp);
    if (!c->data_started) {
      c->data_started = true;
      c->last_move = std::chrono::steady_clock::now();
    }
    // Whole chunks, so that only the file's last one is short.
    const size_t want = std::max(size * count / kChunk * kChunk, std::min(size * count, kChunk));
    const size_t got = std::fread(buffer, 1, want, c->file);
    if (got == 0 && std::ferror(c->file)) return CURL_READFUNC_ABORT;
    for (size_t done = 0; done < got; done += kChunk) c->owner->notify();
    return got;
  }

  // libcurl's own low-speed check averages over seconds; this one ends a
  // transfer that moved no byte for stall_ms.
  static int progress(void* userp, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    auto* c = static_cast<CurlInternet::Connection*>(userp);
    if (!c->data_started || sent >= c->file_size) return 0;
    const auto now = std::chrono::steady_clock::now();
    if (sent != c->last_sent) {
      c->last_sent = sent;
      c->last_move = now;
      return 0;
    }
    if (now - c->last_move < std::chrono::milliseconds(c->owner->timeouts_.stall_ms)) return 0;
    c->stalled = true;
    return 1;
  }
};

CurlInternet::CurlInternet(const InternetTimeouts& timeouts) : timeouts_(timeouts) {}

CurlInternet::~CurlInternet() { free_connection(std::move(connection_)); }

void CurlInternet::notify() {
  if (!busy_) return;  // QUIT, at a close, is not the caller's business
  // A copy: the callback may replace the session's.
  if (const StatusCallback status = status_) status(kStatusRequestSent);
}

CURLcode CurlInternet::perform(CURL* easy) {
  busy_ = true;
  const CURLcode rc = curl_easy_perform(easy);
  busy_ = false;
  return rc;
}

void CurlInternet::record_reply_line(Connection& c, std::string_view line) {
  const bool coded = line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) &&
                     std::isdigit(static_cast<unsigned char>(line[1])) &&
                     std::isdigit(static_cast<unsigned char>(line[2]));
  if (c.multi_code.empty()) {
    c.reply.assign(line);
    if (coded && line[3] == '-') {
      c.multi_code.assign(line.substr(0, 3));
      return;
    }
  } else {
    c.reply.append(line);
    if (!(line.size() >= 4 && line.substr(0, 3) == c.multi_code && line[3] == ' ')) return;
    c.multi_code.clear();
  }
  c.last_code = 0;
  if (coded) std::from_chars(c.reply.data(), c.reply.data() + 3, c.last_code);
  last_response_ = c.reply;
}

std::uint32_t CurlInternet::map_result(const Connection& c, int code) const {
  if (c.stalled) return inet_error::kTimeout;
  switch (static_cast<CURLcode>(code)) {
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT: return inet_error::kTimeout;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return inet_error::kNameNotResolved;
    case CURLE_COULDNT_CONNECT: return inet_error::kCannotConnect;
    case CURLE_URL_MALFORMAT: return inet_error::kInvalidUrl;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR: {
      long os_errno = 0;
      curl_easy_getinfo(c.easy, CURLINFO_OS_ERRNO, &os_errno);
      return os_errno == ECONNRESET || os_errno == EPIPE ? inet_error::kConnectionReset
                                                         : inet_error::kConnectionAborted;
    }
    default: break;
  }
  if (c.last_code >= 400) return inet_error::kExtendedError;
  switch (static_cast<CURLcode>(code)) {
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_READ_ERROR: return inet_error::kConnectionAborted;
    default: return kInternalError;
  }
}

void CurlInternet::free_connection(std::unique_ptr<Connection> c) {
  if (!c) return;
  if (c->easy) {
    // QUIT goes out here; its reply is not the caller's business.
    curl_easy_setopt(c->easy, CURLOPT_VERBOSE, 0L);
    curl_easy_cleanup(c->easy);
  }
  curl_slist_free_all(c->type_ascii);
  curl_slist_free_all(c->type_binary);
}

InetResult CurlInternet::open(StatusCallback status) {
  if (busy_) return result(inet_error::kBusy);
  if (!global_init_ok()) return result(kInternalError);
  session_ = true;
  status_ = std::move(status);
  return {};
}

InetResult CurlInternet::connect(const FtpLogin& login) {
  if (busy_ || connection_) return result(inet_error::kBusy);
  if (!session_) return result(inet_error::kInvalidHandle);
  if (login.host.empty() || unsafe(login.host) || unsafe(login.user) || unsafe(login.password))
    return result(inet_error::kInvalidParameter);

  auto c = std::make_unique<Connection>();
  c->owner = this;
  c->easy = curl_easy_init();
  if (!c->easy) return result(kInternalError);
  const bool ipv6 = login.host.find(':') != login.host.npos;
  c->base_url =
      "ftp://" + (ipv6 ? "[" + login.host + "]" : login.host) + ":" + std::to_string(login.port == 0 ? 21 : login.port);
  c->type_ascii = curl_slist_append(nullptr, "TYPE A");
  c->type_binary = curl_slist_append(nullptr, "TYPE I");

  CURL* e = c->easy;
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, c->error);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(e, CURLOPT_PROXY, "");  // no proxy taken from the environment
  curl_easy_setopt(e, CURLOPT_USERNAME, login.user.c_str());
  curl_easy_setopt(e, CURLOPT_PASSWORD, login.password.c_str());
  curl_easy_setopt(e, CURLOPT_VERBOSE, 1L);  // the debug hook sees commands and replies
  curl_easy_setopt(e, CURLOPT_DEBUGFUNCTION, &CurlCallbacks::debug);
  curl_easy_setopt(e, CURLOPT_DEBUGDATA, c.get());
  curl_easy_setopt(e, CURLOPT_READFUNCTION, &CurlCallbacks::read);
  curl_easy_setopt(e, CURLOPT_READDATA, c.get());
  curl_easy_setopt(e, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBuffer);
  curl_easy_setopt(e, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(e, CURLOPT_FTPPORT, login.passive ? nullptr : "-");
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, timeouts_.connect_ms);
  curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds_up(timeouts_.reply_ms));
  curl_easy_setopt(e, CURLOPT_ACCEPTTIMEOUT_MS, timeouts_.accept_ms);
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &CurlCallbacks::progress);
  curl_easy_setopt(e, CURLOPT_XFERINFODATA, c.get());
  // Log in now; the following put reuses this control connection.
  const std::string url = c->base_url + "/";
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_NOBODY, 1L);

  c->last_code = 0;
  last_response_.clear();  // a stale reply must not pass for this server's
  const CURLcode rc = perform(e);
  if (rc != CURLE_OK) {
    const std::uint32_t error = map_result(*c, rc);
    free_connection(std::move(c));
    return result(error);
  }
  connection_ = std::move(c);
  return result(0);
}

InetResult CurlInternet::put_file(const std::string& local_path, const std::string& remote_path, TransferType type) {
  if (busy_) return result(inet_error::kBusy);
  if (!connection_) return result(inet_error::kInvalidHandle);
  Connection& c = *connection_;
  if (remote_path.empty() || unsafe(remote_path)) return result(inet_error::kInvalidParameter);

  std::FILE* file = std::fopen(local_path.c_str(), "rb");
  struct stat st {};
  if (!file || ::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
    if (file) std::fclose(file);
    return result(inet_error::kFileNotFound);
  }

  CURL* e = c.easy;
  const std::string url = c.base_url + url_path(e, remote_path);
  // TYPE goes out as a pre-command: libcurl's own ASCII mode would turn every LF
  // into CR LF (CR CR LF for a CR LF document), and the file must arrive unchanged.
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(e, CURLOPT_TRANSFERTEXT, 0L);
  curl_easy_setopt(e, CURLOPT_PREQUOTE, type == TransferType::Ascii ? c.type_ascii : c.type_binary);
  curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(st.st_size));

  c.file = file;
  c.file_size = static_cast<curl_off_t>(st.st_size);
  c.data_started = false;
  c.stalled = false;
  c.last_sent = 0;
  c.last_code = 0;
  const CURLcode rc = perform(e);
  c.file = nullptr;
  std::fclose(file);
  curl_easy_setopt(e, CURLOPT_UPLOAD, 0L);
  curl_easy_setopt(e, CURLOPT_PREQUOTE, nullptr);
  // libcurl reads the file only once the data connection is up.
  return result(rc == CURLE_OK ? 0 : map_result(c, rc), c.data_started);
}

InetResult CurlInternet::close() {
  // Freeing the handle in the middle of its own transfer would pull it from under libcurl.
  if (busy_) return result(inet_error::kBusy);
  if (!connection_) return result(inet_error::kInvalidHandle);
  free_connection(std::move(connection_));
  return result(0);
}

// There is no dial-up line to drop here.
void CurlInternet::autodial_hangup() {}

}  // namespace quillon::platform

// The module's one entry point; inet_loader_posix.cpp finds it on first use.
extern "C" __attribute__((visibility("default"))) quillon::platform::Internet* quillon_make_internet(
    const quillon::platform::InternetTimeouts* timeouts) {
  return new quillon::platform::CurlInternet(*timeouts);
}

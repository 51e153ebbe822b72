// The libcurl layer against a real FTP server on 127.0.0.1.
#include "platform/inet_curl.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ftp_server.h"
#include "support/temp_dir.h"

namespace quillon::platform {
namespace {

using testing::FtpServer;
using testing::TempDir;
using testing::write_file;
using Mode = FtpServer::Mode;
namespace ie = inet_error;

constexpr char kUser[] = "Q1AAA";
constexpr char kPassword[] = "secret";
constexpr char kRemote[] = "/log/Q1AAA.20010420153045.Varnel_System_format.Ver.qso";

// Generous for loopback on a busy machine; the stall cases use their own.
const InternetTimeouts kTimeouts{5000, 10000, 5000, 10000};
const InternetTimeouts kShort{5000, 1000, 2000, 1000};

// CR LF text with Shift-JIS bytes, plus a lone LF and a lone CR that any
// line-end rewriting would change.
std::string document(std::size_t size) {
  const std::string line = "<qso_record><call>JA1ZZZ</call><rmks>\x93\xfa\x96\x7b</rmks></qso_record>\r\n";
  std::string out = "head|lone LF\nlone CR\r";
  while (out.size() < size) out += line;
  out.resize(size);
  return out;
}

int count(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (auto p = hay.find(needle); p != hay.npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

std::string response(Internet& inet) {
  std::vector<char> buffer(4096);
  std::uint32_t length = static_cast<std::uint32_t>(buffer.size());
  std::uint32_t code = 0;
  if (!inet.last_response_info(&code, buffer.data(), &length)) return "<none>";
  return std::string(buffer.data(), length);
}

struct Notice {
  InetHandle handle;
  std::uintptr_t context;
  std::uint32_t status;
  std::uint32_t bytes;
};

struct Fixture {
  explicit Fixture(const InternetTimeouts& t = kTimeouts) : inet(t) {
    session = inet.open();
    inet.set_status_callback(session, [this](InetHandle h, std::uintptr_t ctx, std::uint32_t st,
                                             const void* info, std::uint32_t len) {
      std::uint32_t bytes = 0;
      if (info && len == sizeof bytes) std::memcpy(&bytes, info, sizeof bytes);
      notices.push_back({h, ctx, st, bytes});
    });
  }
  InetHandle connect(const FtpServer& server, std::uintptr_t context = 1,
                     const std::string& password = kPassword) {
    return inet.connect(session, "127.0.0.1", server.port(), kUser, password, kServiceFtp,
                        kFlagAsync, context);
  }
  CurlInternet inet;
  InetHandle session = 0;
  std::vector<Notice> notices;
};

std::uint16_t unused_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);  // not listening: a connect is refused
  return ntohs(a.sin_port);
}

TEST(CurlInet, AsciiPutLandsOnceByteIdenticalWithOneLoginAndNotifications) {
  FtpServer server;
  TempDir dir;
  const std::string bytes = document(700 * 1024 + 123);
  write_file(dir.file("qsoupdata.xml"), bytes);
  Fixture f;
  ASSERT_NE(f.session, 0u);

  const InetHandle c = f.connect(server);
  ASSERT_NE(c, 0u) << f.inet.last_error();
  const std::size_t at_connect = f.notices.size();
  ASSERT_TRUE(f.inet.put_file(c, dir.file("qsoupdata.xml"), kRemote, kTransferAscii, 1))
      << f.inet.last_error() << " " << response(f.inet);
  const std::size_t at_put = f.notices.size() - at_connect;
  EXPECT_TRUE(f.inet.close_handle(c));

  const std::string stored = server.root() + kRemote;
  ASSERT_TRUE(std::filesystem::exists(stored));
  EXPECT_TRUE(testing::read_file(stored) == bytes) << "stored file differs";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(server.root() + "/log"),
                          std::filesystem::directory_iterator{}), 1);

  const std::string log = server.log();
  EXPECT_EQ(count(log, "<- USER Q1AAA\n"), 1) << log;
  EXPECT_EQ(count(log, "<- PASS secret\n"), 1);
  EXPECT_NE(log.find("<- TYPE A\n"), log.npos);
  EXPECT_TRUE(log.find("<- PORT ") != log.npos || log.find("<- EPRT ") != log.npos) << log;
  EXPECT_EQ(log.find("<- PASV"), log.npos);
  EXPECT_EQ(count(log, std::string("<- STOR ") + kRemote + "\n"), 1);
  EXPECT_NE(log.find("<- QUIT"), log.npos);

  // One notification per command sent and per 4096 bytes of the file.
  const int login_cmds = count(log.substr(0, log.find("<- PWD") + 6), "<- ");
  const int all_cmds = count(log, "<- ");
  const int put_cmds = all_cmds - login_cmds - 1;  // QUIT is not notified
  EXPECT_EQ(static_cast<int>(at_connect), login_cmds);
  const std::size_t chunks = (bytes.size() + 4095) / 4096;
  EXPECT_EQ(at_put, chunks + static_cast<std::size_t>(put_cmds));
  std::uint64_t data_bytes = 0;
  for (const Notice& n : f.notices) {
    EXPECT_EQ(n.handle, c);
    EXPECT_EQ(n.context, 1u);
    EXPECT_EQ(n.status, kStatusRequestSent);
    EXPECT_LE(n.bytes, 4096u);
    data_bytes += n.bytes;
  }
  EXPECT_GT(data_bytes, bytes.size());  // the file's bytes and the commands'
}

TEST(CurlInet, ContextZeroIsSilentAndTwoPutsShareTheLogin) {
  FtpServer server;
  TempDir dir;
  write_file(dir.file("a"), document(10000));
  Fixture f;
  Fixture other;  // a callback on another session stays silent too
  const InetHandle c = f.connect(server, 0);
  ASSERT_NE(c, 0u) << f.inet.last_error();
  EXPECT_TRUE(f.inet.put_file(c, dir.file("a"), "/log/one", kTransferAscii, 0));
  EXPECT_TRUE(f.inet.put_file(c, dir.file("a"), "/log/two", kTransferBinary, 0));
  EXPECT_TRUE(f.inet.close_handle(c));
  EXPECT_TRUE(f.notices.empty());
  EXPECT_TRUE(other.notices.empty());
  EXPECT_EQ(testing::read_file(server.root() + "/log/two"), document(10000));
  const std::string log = server.log();
  EXPECT_EQ(count(log, "<- USER "), 1) << log;
  const auto stor_two = log.find("<- STOR /log/two");
  ASSERT_NE(stor_two, log.npos);
  EXPECT_NE(log.rfind("<- TYPE I", stor_two), log.npos);
  EXPECT_GT(log.rfind("<- TYPE I", stor_two), log.find("<- STOR /log/one"));
}

TEST(CurlInet, PassiveFlagIsHonoured) {
  FtpServer server;
  TempDir dir;
  write_file(dir.file("a"), "x\r\n");
  Fixture f;
  const InetHandle c = f.inet.connect(f.session, "127.0.0.1", server.port(), kUser, kPassword,
                                      kServiceFtp, kFlagPassive, 1);
  ASSERT_NE(c, 0u);
  EXPECT_TRUE(f.inet.put_file(c, dir.file("a"), "/log/p", kTransferAscii, 1));
  EXPECT_TRUE(f.inet.close_handle(c));
  const std::string log = server.log();
  EXPECT_TRUE(log.find("<- EPSV") != log.npos || log.find("<- PASV") != log.npos) << log;
  EXPECT_EQ(log.find("<- EPRT"), log.npos);
}

TEST(CurlInet, ConnectFailuresCarryWinInetCodes) {
  FtpServer server;
  Fixture f;
  EXPECT_EQ(f.connect(server, 1, "wrong"), 0u);
  EXPECT_EQ(f.inet.last_error(), ie::kExtendedError);
  EXPECT_EQ(response(f.inet).substr(0, 3), "530");
  EXPECT_EQ(response(f.inet).substr(response(f.inet).size() - 2), "\r\n");

  EXPECT_EQ(f.inet.connect(f.session, "127.0.0.1", unused_port(), kUser, kPassword, kServiceFtp,
                           0, 1), 0u);
  EXPECT_EQ(f.inet.last_error(), ie::kCannotConnect);
  EXPECT_EQ(response(f.inet), "");  // the 530 belonged to another attempt

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(f.inet.connect(f.session, "nonexistent.invalid", 21, kUser, kPassword, kServiceFtp,
                           0, 1), 0u);
  EXPECT_EQ(f.inet.last_error(), ie::kNameNotResolved);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

  EXPECT_EQ(f.inet.connect(0x7777, "127.0.0.1", server.port(), kUser, kPassword, kServiceFtp,
                           0, 1), 0u);
  EXPECT_EQ(f.inet.last_error(), ie::kInvalidHandle);
}

TEST(CurlInet, RefusedStoreReportsTheReplyThroughTheBufferProtocol) {
  FtpServer server({.mode = Mode::RefuseStore});
  TempDir dir;
  write_file(dir.file("a"), document(5000));
  Fixture f;
  const InetHandle c = f.connect(server);
  ASSERT_NE(c, 0u);
  EXPECT_FALSE(f.inet.put_file(c, dir.file("a"), kRemote, kTransferAscii, 1));
  EXPECT_EQ(f.inet.last_error(), ie::kExtendedError);

  char small[80];
  std::uint32_t length = sizeof small;
  std::uint32_t code = 0;
  EXPECT_FALSE(f.inet.last_response_info(&code, small, &length));
  EXPECT_EQ(f.inet.last_error(), ie::kInsufficientBuffer);
  const std::string text = response(f.inet);
  ASSERT_GT(text.size(), 80u);
  EXPECT_EQ(length, text.size() + 1);
  std::vector<char> big(length + 1, 'x');
  ASSERT_TRUE(f.inet.last_response_info(&code, big.data(), &length));
  EXPECT_EQ(length, text.size());
  EXPECT_EQ(big[length], '\0');
  EXPECT_EQ(code, 550u);
  EXPECT_EQ(std::string(big.data(), length).substr(0, 4), "550 ");
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_TRUE(f.inet.close_handle(c));
}

TEST(CurlInet, BrokenTransfersEndWithCodes) {
  TempDir dir;
  write_file(dir.file("a"), document(4 * 1024 * 1024));
  struct Case {
    Mode mode;
    std::vector<std::uint32_t> codes;
  };
  // A dropped data connection shows as a reset while sending, or as the
  // server's 426 when the drop is seen only at the end.
  const Case cases[] = {
      {Mode::DropMidTransfer, {ie::kConnectionReset, ie::kExtendedError}},
      {Mode::StallTransfer, {ie::kTimeout}},
      {Mode::StallReplies, {ie::kTimeout}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.mode));
    FtpServer server({.mode = k.mode});
    Fixture f(kShort);
    const InetHandle c = f.connect(server);
    ASSERT_NE(c, 0u) << f.inet.last_error();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(f.inet.put_file(c, dir.file("a"), kRemote, kTransferAscii, 1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    EXPECT_NE(std::find(k.codes.begin(), k.codes.end(), f.inet.last_error()), k.codes.end())
        << f.inet.last_error() << " " << response(f.inet) << server.log();
    EXPECT_TRUE(f.inet.close_handle(c));
  }
}

TEST(CurlInet, UnsafeInputIsRefusedBeforeAnythingIsSent) {
  FtpServer server;
  TempDir dir;
  write_file(dir.file("a"), "x");
  Fixture f;
  const std::string nul("se\0cret", 7);
  const std::pair<std::string, std::string> logins[] = {
      {"Q1AAA\r\nDELE x", kPassword}, {kUser, "secret\nSITE x"}, {kUser, nul}, {"Q1\rAAA", "x"}};
  for (const auto& [user, password] : logins) {
    EXPECT_EQ(f.inet.connect(f.session, "127.0.0.1", server.port(), user, password, kServiceFtp,
                             0, 1), 0u);
    EXPECT_EQ(f.inet.last_error(), ie::kInvalidParameter);
  }
  EXPECT_TRUE(f.notices.empty());
  EXPECT_EQ(server.log().find("USER"), std::string::npos) << server.log();

  const InetHandle c = f.connect(server);
  ASSERT_NE(c, 0u);
  for (const std::string& remote : {std::string("/log/a\r\nDELE b"), std::string("/log/a\n"), std::string("/log/a\0b", 8)}) {
    EXPECT_FALSE(f.inet.put_file(c, dir.file("a"), remote, kTransferAscii, 1));
    EXPECT_EQ(f.inet.last_error(), ie::kInvalidParameter);
  }
  EXPECT_FALSE(f.inet.put_file(c, dir.file("missing"), "/log/m", kTransferAscii, 1));
  EXPECT_EQ(f.inet.last_error(), ie::kFileNotFound);
  EXPECT_FALSE(f.inet.put_file(c, dir.path().string(), "/log/m", kTransferAscii, 1));
  EXPECT_EQ(f.inet.last_error(), ie::kFileNotFound);
  const std::string log = server.log();
  EXPECT_EQ(log.find("STOR"), log.npos) << log;
  EXPECT_EQ(log.find("EPRT"), log.npos) << log;
  EXPECT_TRUE(f.inet.close_handle(c));
}

TEST(CurlInet, EmptyFileSendsNoDataNotification) {
  FtpServer server;
  TempDir dir;
  write_file(dir.file("empty"), "");
  Fixture f;
  const InetHandle c = f.connect(server);
  ASSERT_NE(c, 0u);
  f.notices.clear();
  ASSERT_TRUE(f.inet.put_file(c, dir.file("empty"), "/log/empty", kTransferAscii, 1));
  EXPECT_TRUE(f.inet.close_handle(c));
  EXPECT_EQ(testing::read_file(server.root() + "/log/empty"), "");
  const std::string log = server.log();
  const int put_cmds = count(log, "<- ") - count(log.substr(0, log.find("<- PWD") + 6), "<- ") - 1;
  EXPECT_EQ(static_cast<int>(f.notices.size()), put_cmds) << log;
}

TEST(CurlInet, CallbackCannotPullTheConnectionFromUnderItsTransfer) {
  FtpServer server;
  TempDir dir;
  const std::string bytes = document(50000);
  write_file(dir.file("a"), bytes);
  CurlInternet inet(kTimeouts);
  const InetHandle session = inet.open();
  InetHandle c = 0;
  std::vector<std::uint32_t> refusals;
  inet.set_status_callback(session, [&](InetHandle h, std::uintptr_t, std::uint32_t,
                                        const void*, std::uint32_t) {
    if (h != c || !refusals.empty()) return;
    refusals.push_back(inet.close_handle(c) ? 0 : inet.last_error());
    refusals.push_back(inet.close_handle(session) ? 0 : inet.last_error());
    refusals.push_back(inet.put_file(c, dir.file("a"), "/log/b", kTransferAscii, 1)
                           ? 0 : inet.last_error());
  });
  c = inet.connect(session, "127.0.0.1", server.port(), kUser, kPassword, kServiceFtp, 0, 1);
  ASSERT_NE(c, 0u);
  ASSERT_TRUE(inet.put_file(c, dir.file("a"), "/log/a", kTransferAscii, 1));
  EXPECT_EQ(refusals, (std::vector<std::uint32_t>{170, 170, 170}));
  EXPECT_EQ(testing::read_file(server.root() + "/log/a"), bytes);
  EXPECT_TRUE(inet.close_handle(c));
}

TEST(CurlInet, HandlesAndHangup) {
  Fixture f;
  EXPECT_FALSE(f.inet.close_handle(0x7777));
  EXPECT_EQ(f.inet.last_error(), ie::kInvalidHandle);
  EXPECT_FALSE(f.inet.put_file(0x7777, "/dev/null", "/log/x", kTransferAscii, 1));
  EXPECT_EQ(f.inet.last_error(), ie::kInvalidHandle);
  EXPECT_FALSE(f.inet.put_file(f.session, "/dev/null", "/log/x", kTransferAscii, 1));
  EXPECT_EQ(f.inet.last_error(), ie::kIncorrectHandleType);
  EXPECT_NE(f.inet.open(), f.session);

  EXPECT_EQ(f.inet.hangup_calls(), 0);
  f.inet.autodial_hangup(0);
  EXPECT_EQ(f.inet.hangup_calls(), 1);

  auto made = make_internet();
  ASSERT_NE(made->open(), 0u);
  EXPECT_TRUE(f.inet.close_handle(f.session));
  EXPECT_FALSE(f.inet.close_handle(f.session));
}

}  // namespace
}  // namespace quillon::platform

// The internet layer against a real FTP server on 127.0.0.1: what it sends,
// what it stores, the notifications, and the WinINet numbers of each failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <tuple>
#include <utility>

#include "platform/inet.h"
#include "platform/inet_reply.h"
#include "support/ftp_server.h"
#include "support/system.h"

namespace quillon::platform {
namespace {

using testing::FtpServer;
using testing::kWindows;
namespace ie = inet_error;

constexpr char kRemote[] = "/log/Q1AAA.20010420153045.Varnel_System_format.Ver.qso";

// CR LF text with Shift-JIS bytes, plus a lone LF and a lone CR that any
// line-end rewriting would change.
std::string document(std::size_t size) {
  std::string out = "head|lone LF\nlone CR\r";
  while (out.size() < size) out += "<qso_record><call>JA1ZZZ</call><rmks>\x93\xfa\x96\x7b</rmks></qso_record>\r\n";
  return out.substr(0, size);
}

int count(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (auto p = hay.find(needle); p != hay.npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

// A session whose notifications are counted; a folder with "a" (5000 bytes).
struct Layer {
  explicit Layer(const InternetTimeouts& t = {5000, 10000, 5000, 10000}) : inet(make_internet(t)) {
    testing::write_file(dir.file("a"), document(5000));
    EXPECT_TRUE(inet->open([this](std::uint32_t status) {
                      if (status != kStatusRequestSent) return;  // WinINet tells more; the callers heed only this one
                      ++notes;
                      if (auto once = std::exchange(during, nullptr)) once();
                    })
                    .ok());
  }
  InetResult connect(const FtpServer& server, const std::string& password = "secret", const std::string& user = "Q1AAA",
                     bool passive = false) {
    return inet->connect({"127.0.0.1", server.port(), user, password, passive});
  }
  InetResult put(const std::string& local = {}, const std::string& remote = kRemote) {
    return inet->put_file(local.empty() ? dir.file("a") : local, remote, TransferType::Ascii);
  }
  std::unique_ptr<Internet> inet;
  testing::TempDir dir;
  int notes = 0;                 // request-sent notifications
  std::function<void()> during;  // run once, from inside the next notification
};

// The call failed with `code`.
void failed(const InetResult& r, std::uint32_t code, const std::string& what) {
  EXPECT_FALSE(r.ok()) << what;
  EXPECT_EQ(r.error, code) << what;
}

TEST(Internet, StoresTheDocumentAsItLiesWithOneLoginAndANotificationEach) {
  FtpServer server;
  Layer l;
  const InetResult login = l.connect(server);
  ASSERT_TRUE(login.ok()) << login.error;
  EXPECT_EQ(l.notes, count(server.log(), "<- "));  // the login's commands
  // size, transfer type, the TYPE command it sends
  const std::tuple<std::size_t, TransferType, const char*> cases[] = {
      {700 * 1024 + 123, TransferType::Ascii, "<- TYPE A\n"},
      {0, TransferType::Ascii, "<- TYPE A\n"},
      {10000, TransferType::Binary, "<- TYPE I\n"}};
  for (const auto& [size, type, type_command] : cases) {
    SCOPED_TRACE(size);
    testing::write_file(l.dir.file("doc"), document(size));
    const std::size_t before = server.log().size();
    l.notes = 0;
    const InetResult stored = l.inet->put_file(l.dir.file("doc"), kRemote, type);
    ASSERT_TRUE(stored.ok()) << stored.error;
    EXPECT_TRUE(stored.data_opened);
    EXPECT_EQ(testing::read_file(server.root() + kRemote), document(size));
    const std::string log = server.log().substr(before);
    EXPECT_EQ(count(log, type_command), 1) << log;
    EXPECT_EQ(count(log, std::string("<- STOR ") + kRemote + "\n"), 1) << log;
    EXPECT_EQ(count(log, "<- PORT ") + count(log, "<- EPRT "), 1) << log;
    EXPECT_EQ(l.notes, count(log, "<- ") + static_cast<int>((size + 4095) / 4096));
  }
  l.notes = 0;
  EXPECT_TRUE(l.inet->close().ok());
  EXPECT_EQ(l.notes, 0);  // QUIT is no request of the caller's
  failed(l.inet->close(), ie::kInvalidHandle, "closed twice");
  const std::string log = server.log();
  EXPECT_EQ(count(log, "<- USER Q1AAA\n") + count(log, "<- PASS secret\n"), 2) << log;
  EXPECT_EQ(count(log, "<- QUIT"), kWindows ? 0 : 1);  // Wine's WinINet just hangs up
  EXPECT_EQ(count(log, "PASV"), 0);
}

TEST(Internet, RepliesAsRealServersSendThem) {
  // Wine's WinINet keeps only a reply's last line, without its line end.
  const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
      {"multi-line", "257-The first line of three,\r\n257-the second,\r\n257 \"/\" is the current directory.\r\n",
       "226-The first line of three,\r\n226-the second,\r\n226 Transfer complete.\r\n", "226 Transfer complete."},
      {"split-replies", "257 \"/\" is the current directory.\r\n", "226 Transfer complete.\r\n",
       "226 Transfer complete."},
      {"bare-code", "257 \"/\" is the current directory.\r\n", "226 \r\n", "226 "}};
  // The login's last reply is PWD's, which the curl layer asks after it.
  for (const auto& [mode, login, stored, wine_stored] : cases) {
    SCOPED_TRACE(mode);
    FtpServer server({.mode = mode});
    Layer l;
    const InetResult in = l.connect(server);
    ASSERT_TRUE(in.ok()) << in.error;
    if (!kWindows) {
      EXPECT_EQ(in.reply, login);
    }
    const InetResult put = l.put();
    ASSERT_TRUE(put.ok()) << put.error;
    EXPECT_EQ(testing::read_file(server.root() + kRemote), document(5000));
    EXPECT_EQ(put.reply, kWindows ? wine_stored : stored);
    EXPECT_TRUE(l.inet->close().ok());
  }
}

TEST(Internet, FailuresCarryWinInetNumbersAndTheReply) {
  FtpServer server;
  Layer l;
  const InetResult refused = l.connect(server, "wrong");
  failed(refused, kWindows ? 12015u : ie::kExtendedError, "wrong password");  // Wine: LOGIN_FAILURE
  EXPECT_EQ(refused.reply.substr(0, 3), "530");
  const std::tuple<std::string, std::uint16_t, std::uint32_t> hosts[] = {
      {"127.0.0.1", 1, ie::kCannotConnect}, {"nonexistent.invalid", 21, ie::kNameNotResolved}};
  for (const auto& [host, port, code] : hosts) {
    const auto start = std::chrono::steady_clock::now();
    const InetResult r = l.inet->connect({host, port, "Q1AAA", "secret", false});
    failed(r, code, host);
    if (!kWindows) {  // WinINet keeps the reply of another attempt
      EXPECT_EQ(r.reply, "") << host;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
  // A CR, LF or NUL in a value is refused before anything is sent.
  for (const auto& [user, password] : {std::pair<std::string, std::string>{"Q1AAA\r\nDELE x", "secret"},
                                       {"Q1AAA", "secret\nSITE x"},
                                       {"Q1AAA", std::string("se\0cret", 7)},
                                       {"Q1\rAAA", "x"}})
    failed(l.connect(server, password, user), ie::kInvalidParameter, user + password);
  EXPECT_EQ(count(server.log(), "<- USER"), 1) << server.log();
  failed(l.put(), ie::kInvalidHandle, "a store before any connection");
  failed(l.inet->close(), ie::kInvalidHandle, "a close before any connection");
  ASSERT_TRUE(l.connect(server).ok());
  failed(l.connect(server), ie::kBusy, "a second connection");
  const std::tuple<std::string, std::string, std::uint32_t> puts[] = {
      {l.dir.file("a"), "/log/a\r\nDELE b", ie::kInvalidParameter},
      {l.dir.file("a"), "/log/a\n", ie::kInvalidParameter},
      {l.dir.file("a"), std::string("/log/a\0b", 8), ie::kInvalidParameter},
      {l.dir.file("missing"), "/log/m", ie::kFileNotFound},
      {l.dir.path().string(), "/log/m", ie::kFileNotFound}};
  for (const auto& [local, remote, code] : puts) {
    const InetResult r = l.put(local, remote);
    failed(r, code, local + " " + remote);
    EXPECT_FALSE(r.data_opened);
  }
  EXPECT_EQ(count(server.log(), "STOR") + count(server.log(), "EPRT"), 0) << server.log();
  EXPECT_TRUE(l.inet->close().ok());
  // The data connection refused in passive mode: the number of a refused connection.
  FtpServer closed({.mode = "passive-closed"});
  ASSERT_TRUE(l.connect(closed, "secret", "Q1AAA", true).ok());
  const InetResult r = l.put();
  failed(r, ie::kCannotConnect, "passive refused");
  EXPECT_FALSE(r.data_opened);
  EXPECT_TRUE(l.inet->close().ok());
}

TEST(Internet, WithoutASessionNothingConnects) {
  FtpServer server;
  const auto inet = make_internet({5000, 10000, 5000, 10000});
  failed(inet->connect({"127.0.0.1", server.port(), "Q1AAA", "secret", false}), ie::kInvalidHandle, "no session");
  EXPECT_EQ(count(server.log(), "<- USER"), 0) << server.log();
}

TEST(Internet, RefusedStoresTheReplyAndTheNextLogin) {
  // Wine's WinINet keeps only the reply's last line, without its line end.
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"refuse-store",
       "550-Storing is refused:\r\n this test server does not accept uploads\r\n550 into the log folder right now.\r\n",
       "550 into the log folder right now."},
      {"stor-452", "452 Storing refused by the test server.\r\n", "452 Storing refused by the test server."},
      {"end-451", "451 Storing refused by the test server.\r\n", "451 Storing refused by the test server."}};
  for (const auto& [mode, full_reply, wine_reply] : cases) {
    SCOPED_TRACE(mode);
    FtpServer server({.mode = mode});
    Layer l;
    ASSERT_TRUE(l.connect(server).ok());
    const InetResult r = l.put();
    failed(r, ie::kExtendedError, "put");
    EXPECT_EQ(r.reply, kWindows ? wine_reply : full_reply);
    EXPECT_EQ(r.data_opened, mode == "end-451");
    // The next run closes the refused connection, then logs in again.
    EXPECT_TRUE(l.inet->close().ok());
    EXPECT_TRUE(l.connect(server).ok());
    const std::string log = server.log();
    EXPECT_EQ(count(log, "<- USER"), 2) << log;
    if (!kWindows) {
      EXPECT_LT(log.find("<- QUIT"), log.rfind("<- USER")) << log;
    }
  }
}

TEST(Internet, BrokenTransfersEndWithinTheirBounds) {
  // A dropped data connection shows as a reset while sending, or as the
  // server's 426 when the drop is seen only at the end. A store counts only
  // once the server confirmed it; no error expected: it is stored. Each bound
  // is held, not rounded down, and the layer serves again afterwards.
  const InternetTimeouts quick{5000, 1000, 2000, 1000};
  const std::tuple<std::string, std::vector<std::uint32_t>, bool, InternetTimeouts, int> cases[] = {
      {"silent-greeting", {ie::kTimeout}, true, {1500, 10000, 10000, 10000}, 1500},
      {"drop", {ie::kConnectionReset, ie::kExtendedError}, false, quick, 0},
      {"stall-transfer", {ie::kTimeout}, false, {5000, 10000, 10000, 1500}, 1500},
      {"stall-replies", {ie::kTimeout}, false, {5000, 1500, 10000, 10000}, 1500},
      {"no-connect-back", {ie::kTimeout}, false, {5000, 10000, 1500, 10000}, 1500},
      {"no-226", {ie::kTimeout, ie::kExtendedError}, false, quick, 0},
      {"late-226", {}, false, {5000, 5000, 5000, 1000}, 0}};  // 3 s of silence after the last byte is no stall
  FtpServer normal;
  for (const auto& [mode, codes, at_connect, timeouts, at_least_ms] : cases) {
    SCOPED_TRACE(mode);
    // Wine cannot end a blocked InternetWriteFile, nor a wait for the server to connect back.
    if (kWindows && (mode == "stall-transfer" || mode == "no-connect-back")) continue;
    FtpServer server({.mode = mode});
    Layer l(timeouts);
    testing::write_file(l.dir.file("a"), document(mode == "late-226" ? 300000 : 4 * 1024 * 1024));
    const auto start = std::chrono::steady_clock::now();
    const InetResult login = l.connect(server);
    EXPECT_EQ(!login.ok(), at_connect) << login.error;
    const InetResult put = login.ok() ? l.put() : login;
    EXPECT_EQ(put.ok(), codes.empty()) << put.error;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // Wine ends a silent reply after its own 30 s, the product's bound, and no sooner.
    const bool wine_waits = kWindows && (mode == "stall-replies" || mode == "no-226");
    EXPECT_LT(elapsed, std::chrono::seconds(wine_waits ? 35 : 8));
    EXPECT_GE(elapsed, std::chrono::milliseconds(at_least_ms));
    if (!codes.empty()) {
      EXPECT_NE(std::find(codes.begin(), codes.end(), put.error), codes.end()) << put.error;
    }
    EXPECT_EQ(put.data_opened, mode != "silent-greeting" && mode != "stall-replies" && mode != "no-connect-back");
    if (login.ok()) {
      EXPECT_TRUE(l.inet->close().ok());
    }
    const InetResult again = l.connect(normal);
    EXPECT_TRUE(again.ok() && l.put().ok()) << again.error;
    EXPECT_TRUE(l.inet->close().ok());
  }
}

TEST(Internet, RefusesCallsFromInsideItsOwnTransfer) {
  FtpServer server;
  Layer l;
  ASSERT_TRUE(l.connect(server).ok());
  std::vector<std::uint32_t> inside;
  l.during = [&] {
    inside.push_back(l.put(l.dir.file("a"), "/log/b").error);
    inside.push_back(l.inet->close().error);
    inside.push_back(l.connect(server).error);
    inside.push_back(l.inet->open({}).error);
  };
  const InetResult stored = l.put();
  EXPECT_TRUE(stored.ok()) << stored.error;
  EXPECT_EQ(inside, std::vector<std::uint32_t>(4, ie::kBusy));
  EXPECT_GT(l.notes, 1);  // the session's callback is still the one it opened with
}

// WinINet's reply exchange: 80 bytes first, then the size it asks for plus one.
TEST(Internet, ReadsTheReplyInTwoCallsAtMost) {
  struct Case {
    std::optional<std::string> reply;     // none: the call fails otherwise
    std::optional<std::uint32_t> length;  // a layer that overstates it
    std::string want;
    const char* calls;  // the buffer sizes offered
  };
  const std::string long_reply = "550-" + std::string(150, 'z') + "\r\n550 end\r\n";
  const Case cases[] = {
      {"226 Transfer complete.\r\n", {}, "226 Transfer complete.\r\n", "80"},
      {std::string(79, 'a'), {}, std::string(79, 'a'), "80"},
      {std::string(80, 'a'), {}, std::string(80, 'a'), "80 82"},  // no room for the zero
      {long_reply, {}, long_reply, "80 167"},                     // 165 bytes: the size reported (166), plus one
      {std::nullopt, {}, "", "80"},                               // other failures: no second call
      {"", {}, "", "80"},
      {"200 ok", 5000, std::string("200 ok") + std::string(74, '\0'), "80"},                 // never past the buffer
      {std::string((1 << 20) - 2, 'a'), {}, std::string((1 << 20) - 2, 'a'), "80 1048576"},  // up to 1 MiB
      {std::string((1 << 20) - 1, 'a'), {}, "", "80"},                                       // and no more
  };
  for (const Case& c : cases) {
    std::string calls;
    const std::string got = read_reply([&](char* buffer, std::uint32_t* length, std::uint32_t* error) {
      if (!calls.empty()) calls += ' ';
      calls += std::to_string(*length);
      if (!c.reply) {
        *error = ie::kIncorrectHandleType;
        return false;
      }
      if (*length < c.reply->size() + 1) {
        *length = static_cast<std::uint32_t>(c.reply->size() + 1);
        *error = ie::kInsufficientBuffer;
        return false;
      }
      std::memcpy(buffer, c.reply->data(), c.reply->size());
      *length = c.length.value_or(static_cast<std::uint32_t>(c.reply->size()));
      return true;
    });
    EXPECT_TRUE(got == c.want) << got.size() << " bytes \"" << got.substr(0, 80) << "\", want " << c.want.size();
    EXPECT_EQ(calls, c.calls) << c.want.substr(0, 80);
  }
}

}  // namespace
}  // namespace quillon::platform

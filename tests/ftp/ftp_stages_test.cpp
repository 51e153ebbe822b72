// What of the FTP stages the scripts cannot reach through the windows: the
// progress arithmetic, the reply buffer protocol, errchk's exact comparison.
#include <gtest/gtest.h>

#include "app/main_view.h"
#include "ftp/ftp.h"
#include "support/scripted.h"
#include "support/system.h"

namespace quillon {
namespace {

using testing::RecordingMainView;
using testing::ScriptedClock;
using testing::ScriptedInternet;
using testing::Transcript;

struct Stages : ::testing::Test {
  Transcript t;
  FtpState state;
  RecordingMainView view{t};
  ScriptedInternet inet{t};
  ScriptedClock clock;
  WindowRun window{view, state};
  FtpEnv env{state, inet, clock, UploadJob{}, [this](const FtpEvent& e) { window.on_ftp(e); }};
};

TEST_F(Stages, ProgressFromTheSixthNotification) {
  struct Case {
    std::int32_t size;
    int notes;
    const char* captions;  // what the bar shows, in order
  };
  const Case cases[] = {
      {10000, 10, "41% 82% 100% 100% 100%"},
      {32768, 13, "12% 25% 38% 50% 62% 75% 88% 100%"},  // 12.5 % a step: halves to even
      {0, 6, "100%"},                                   // an empty document is all sent
      {4096 * 100, 6, "1%"},
      {4096 * 200, 6, "0%"},  // 0.5 % rounds to the even 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    state = FtpState{};
    state.bar().Target(&view.picture1());
    state.tell = env.tell;  // as while a step runs
    t.clear();
    state.upload_size = c.size;
    for (std::uint32_t other : {0u, 30u, 32u}) inet_status_callback(state, other);
    for (int i = 0; i < c.notes; ++i) inet_status_callback(state, platform::kStatusRequestSent);
    std::string captions;
    for (const std::string& line : t) captions.append(captions.empty() ? "" : " ").append(line, 9);
    EXPECT_EQ(captions, c.captions);
    EXPECT_EQ(state.sent_count, c.notes);
    EXPECT_EQ(state.sent_bytes, 4096 * (c.notes - 5));
  }
}

TEST_F(Stages, LastResponseText) {
  struct Case {
    std::optional<std::string> response;
    std::optional<std::uint32_t> reported;
    std::string want;
    const char* calls;
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
    t.clear();
    inet.response = c.response;
    inet.length_reported = c.reported;
    const std::string got = last_response_text(inet);
    EXPECT_TRUE(got == c.want) << got.size() << " bytes \"" << got.substr(0, 80) << "\", want " << c.want.size();
    std::string calls;
    for (const std::string& line : t) calls.append(calls.empty() ? "" : " ").append(line, 14);
    EXPECT_EQ(calls, c.calls) << c.want.substr(0, 80);
  }
}

// A name the destination holds already is not stored over: the step waits for
// the next second, and should the clock stand still, goes on after 200 pauses
// (about 10 s) rather than hold the run for ever.
TEST_F(Stages, TheNewestNameWaitsForTheNextSecondWithinItsBound) {
  testing::TempDir dir;
  testing::write_file(dir.file("doc.xml"), "x");
  struct Case {
    bool still;
    const char* taken;
    int pauses;
    const char* stored;
  };
  const Case cases[] = {
      {false, "/log/Q1AAA.20020103090507.Varnel_System_format.Ver.qso", 1, "20020103090508"},
      {true, "/log/Q1AAA.20020103090507.Varnel_System_format.Ver.qso", 200, "20020103090507"},
      {true, "/log/Q1AAA.20020103090506.Varnel_System_format.Ver.qso", 0, "20020103090507"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pauses);
    t.clear();
    clock = ScriptedClock{};
    clock.still = c.still;
    state = FtpState{};
    state.bar().Target(&view.picture1());
    state.session_handle = 0x100;
    env.job = UploadJob{"h", 21, "Q1AAA", "pw", dir.file("doc.xml"), ".Varnel_System_format.", ".qso", false, c.taken};
    EXPECT_EQ(ftpdata(env).outcome, FtpOutcome::Stored);
    EXPECT_EQ(clock.pauses, c.pauses);
    EXPECT_EQ(state.remote_name, std::string("/log/Q1AAA.") + c.stored + ".Varnel_System_format.Ver.qso");
  }
}

TEST_F(Stages, ErrchkComparesTheStageExactly) {
  for (const char* stage : {"", "FTPDATA", "ftpdata ", "ftpout2", "whatever"}) {
    t.clear();
    window.on_ftp({FtpEvent::Kind::Report, 0, stage});
    EXPECT_EQ(t, Transcript{"main cursor default"}) << stage;
    EXPECT_EQ(state.failed_stage, "");
  }
  t.clear();
  ftpout(env);  // no connection: nothing at all
  EXPECT_TRUE(t.empty());
}

}  // namespace
}  // namespace quillon

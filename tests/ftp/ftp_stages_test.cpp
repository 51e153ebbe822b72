// What of the FTP stages the scripts cannot reach through the windows: the
// progress arithmetic, the name rule's bound, errchk's exact comparison.
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
    inet.open({});
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

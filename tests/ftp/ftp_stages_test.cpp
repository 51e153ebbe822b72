// The FTP stages against a scripted internet layer and a recording window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "ftp/ftp.h"
#include "support/fake_internet.h"
#include "support/fake_view.h"
#include "support/temp_dir.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::CaptionSurface;
using testing::FakeInternet;
using testing::FakeView;
using testing::ScriptedClock;
using testing::sjis;
namespace inet_error = platform::inet_error;

constexpr const char* kUploading = " >> アップロード中です お待ち下さい...";
constexpr const char* kDone = " --アップロード正常終了しました!--";
constexpr const char* kConnecting = "   Varnelに接続処理中です >>";

class Stages : public ::testing::Test {
 public:  // the outcome table reaches in
  Stages() {
    testing::write_file(env.job.xml_path, std::string(10000, 'x'));
    state.bar().Target(&surface);
    surface.captions.clear();
  }

  // The session as the window's load leaves it.
  void open_session() {
    ftpinit(env);
    inet.calls.clear();
  }
  // What the upload run leaves before the upload step.
  void start_run() {
    view.preset(sjis(kConnecting), false, false, Cursor::Default);
  }

  testing::TempDir dir;
  FtpState state;
  FakeView view;
  FakeInternet inet;
  ScriptedClock clock{{{2002, 1, 3, 9, 5, 7}}};
  CaptionSurface surface;
  FtpEnv env{state, view, inet, clock,
             UploadJob{"ftp.test.example", 2121, "Q1AAA", "secret", dir.file("qsoupdata.xml"),
                       ".Varnel_System_format.", ".qso"}};
};

// ---------------------------------------------------------------- ftpinit

TEST_F(Stages, FtpinitOpensTheSessionAndRegistersTheCallback) {
  ftpinit(env);
  EXPECT_EQ(state.session_handle, inet.open_handle);
  EXPECT_EQ(state.inet_state, "ok");
  EXPECT_THAT(inet.calls, ElementsAre("open", "set_status_callback"));
  EXPECT_EQ(inet.callback_session, inet.open_handle);
  EXPECT_THAT(view.events, IsEmpty());
  EXPECT_EQ(state.failed_stage, "");

  // The registered callback drives inet_status_callback on this state.
  state.upload_size = 10000;
  for (int i = 0; i < 6; ++i) inet.notify(state.session_handle, 1, platform::kStatusRequestSent);
  EXPECT_EQ(state.sent_count, 6);
  EXPECT_EQ(state.bar().Value(), 41);
}

TEST_F(Stages, FtpinitFailureBeepsAndNamesTheCode) {
  inet.open_handle = 0;
  inet.open_error = inet_error::kCannotConnect;
  state.inet_state = "";
  ftpinit(env);
  EXPECT_EQ(state.session_handle, 0u);
  EXPECT_EQ(state.inet_state, "");
  EXPECT_EQ(state.failed_stage, "ftpinit");
  EXPECT_THAT(inet.calls, ElementsAre("open"));
  EXPECT_THAT(view.events, ElementsAre("beep", "message:INet-Handleのopen失敗 GetLastError() =12029"));
  EXPECT_EQ(view.messages[0], sjis("INet-Handleのopen失敗") + " GetLastError() =12029");
}

TEST_F(Stages, CallbackWithoutABarTargetDoesNotEscapeIntoTheLayer) {
  state.progress_bar.reset();
  ftpinit(env);
  state.upload_size = 100;
  for (int i = 0; i < 8; ++i)
    EXPECT_NO_THROW(inet.notify(state.session_handle, 1, platform::kStatusRequestSent));
  EXPECT_EQ(state.sent_count, 8);
}

// ---------------------------------------------------------------- ftpout

TEST_F(Stages, FtpoutWithoutAConnectionDoesNothing) {
  ftpout(env);
  EXPECT_THAT(view.events, IsEmpty());
  EXPECT_THAT(inet.calls, IsEmpty());
  EXPECT_EQ(state.failed_stage, "");
}

TEST_F(Stages, FtpoutClosesUnderTheHourglass) {
  state.connection_handle = 0x2A;
  ftpout(env);
  EXPECT_THAT(inet.closed, ElementsAre(0x2Au));
  EXPECT_THAT(view.events, ElementsAre("cursor:wait", "cursor:default"));
  EXPECT_EQ(state.connection_handle, 0u);
  EXPECT_EQ(state.failed_stage, "");
}

TEST_F(Stages, FtpoutExtendedErrorOnlyExtendsTheStatus) {
  view.preset("abc", false, true, Cursor::Default);
  state.connection_handle = 0x2A;
  inet.close_outcomes = {{false, inet_error::kExtendedError}};
  inet.response = "221 bye\r\n";
  ftpout(env);
  EXPECT_EQ(view.status(), "abcERROR_INTERNET_EXTENDED_ERROR:\r\n");
  EXPECT_THAT(view.events, ElementsAre("cursor:wait", "cursor:default",
                                       "status:abcERROR_INTERNET_EXTENDED_ERROR:\r\n"));
  EXPECT_EQ(view.beeps, 0);
  EXPECT_EQ(state.connection_handle, 0x2Au);
  EXPECT_EQ(state.failed_stage, "ftpout");
  EXPECT_EQ(std::count(inet.calls.begin(), inet.calls.end(), "last_response_info"), 0);
}

TEST_F(Stages, FtpoutOtherErrorAppendsTheServerResponseAndShowsTheCode) {
  view.preset(sjis(kUploading), false, true, Cursor::Default);
  state.connection_handle = 0x2A;
  inet.close_outcomes = {{false, inet_error::kConnectionAborted}};
  inet.response = "421 Timeout.\r\n";
  ftpout(env);
  EXPECT_THAT(view.events,
              ElementsAre("cursor:wait", "cursor:default", "beep",
                          std::string("status:") + kUploading + "421 Timeout.\r\n",
                          "message:Fail to Disconnect FTP. GetLastError() =12030"));
  EXPECT_EQ(state.connection_handle, 0x2Au);
  EXPECT_EQ(state.failed_stage, "ftpout");
}

TEST_F(Stages, FtpoutWithNoResponseStillShowsItsMessage) {
  view.preset("abc", false, false, Cursor::Default);
  state.connection_handle = 0x2A;
  inet.close_outcomes = {{false, inet_error::kInvalidHandle}};
  ftpout(env);
  EXPECT_EQ(view.status(), "abc");
  EXPECT_THAT(view.messages_utf8(), ElementsAre("Fail to Disconnect FTP. GetLastError() =6"));
  EXPECT_EQ(view.beeps, 1);
}

// ---------------------------------------------------------------- errchk

struct ErrchkCase {
  std::string stage;
  std::vector<std::string> events;
  bool buttons_after;
  bool picture_after;
  std::int32_t bar_after;
};

class Errchk : public Stages, public ::testing::WithParamInterface<ErrchkCase> {};

TEST_P(Errchk, ReportsRestoresAndClears) {
  const ErrchkCase& c = GetParam();
  view.preset("s", false, true, Cursor::Wait);
  state.bar().Value(50);
  state.failed_stage = c.stage;
  errchk(env);
  EXPECT_THAT(view.events, ElementsAreArray(c.events));
  EXPECT_EQ(view.all_enabled(), c.buttons_after);
  EXPECT_EQ(view.none_enabled(), !c.buttons_after);
  EXPECT_EQ(view.picture_visible, c.picture_after);
  EXPECT_EQ(state.bar().Value(), c.bar_after);
  EXPECT_EQ(state.failed_stage, "");
  EXPECT_EQ(view.cursor, Cursor::Default);
}

INSTANTIATE_TEST_SUITE_P(
    EachStage, Errchk,
    ::testing::Values(
        ErrchkCase{"ftpinit",
                   {"message:初期化に失敗しました。再処理して下さい。", "cursor:default"},
                   false, true, 50},
        ErrchkCase{"ftpdata",
                   {"message:転送に失敗しました。再処理して下さい。", "enable:cmdOK",
                    "enable:Cmdcancel", "enable:Command1", "picture:hide", "cursor:default"},
                   true, false, 0},
        ErrchkCase{"ftpout", {"message:切断に失敗しました。", "cursor:default"}, false, true, 50},
        ErrchkCase{"", {"cursor:default"}, false, true, 50},
        ErrchkCase{"FTPDATA", {"cursor:default"}, false, true, 50},
        ErrchkCase{"ftpdata ", {"cursor:default"}, false, true, 50},
        ErrchkCase{"whatever", {"cursor:default"}, false, true, 50}),
    [](const auto& info) {
      std::string n;
      for (char ch : info.param.stage) n += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return "stage_" + (n.empty() ? std::string("empty") : n) + "_" + std::to_string(info.index);
    });

// ---------------------------------------------------------------- inet_status_callback

TEST_F(Stages, CallbackIgnoresEverythingButRequestSent) {
  state.upload_size = 10;
  for (std::uint32_t s : {0u, 10u, 20u, 21u, 30u, 32u, 100u}) inet_status_callback(state, s);
  EXPECT_EQ(state.sent_count, 0);
  EXPECT_EQ(state.sent_bytes, 0);
  EXPECT_THAT(surface.captions, IsEmpty());
}

TEST_F(Stages, CallbackOnTenThousandBytes) {
  state.upload_size = 10000;
  std::vector<std::int32_t> values;
  for (int i = 1; i <= 10; ++i) {
    inet_status_callback(state, platform::kStatusRequestSent);
    values.push_back(state.bar().Value());
  }
  EXPECT_THAT(values, ElementsAre(0, 0, 0, 0, 0, 41, 82, 100, 100, 100));
  // The first five draw nothing at all.
  EXPECT_THAT(surface.captions, ElementsAre("41%", "82%", "100%", "100%", "100%"));
  EXPECT_EQ(state.sent_count, 10);
  EXPECT_EQ(state.sent_bytes, 5 * 4096);
}

TEST_F(Stages, CallbackRoundsHalvesToEven) {
  state.upload_size = 32768;  // each 4096 bytes is 12.5 %
  for (int i = 0; i < 5; ++i) inet_status_callback(state, platform::kStatusRequestSent);
  std::vector<std::string> expected = {"12%", "25%", "38%", "50%", "62%", "75%", "88%", "100%"};
  for (int i = 0; i < 8; ++i) inet_status_callback(state, platform::kStatusRequestSent);
  EXPECT_THAT(surface.captions, ElementsAreArray(expected));
}

TEST_F(Stages, CallbackOnAnEmptyDocumentShowsItAllSent) {
  state.upload_size = 0;
  for (int i = 0; i < 6; ++i) inet_status_callback(state, platform::kStatusRequestSent);
  EXPECT_EQ(state.bar().Value(), 100);
}

TEST_F(Stages, CallbackCountersSaturateInsteadOfOverflowing) {
  state.upload_size = 1;
  state.sent_count = std::numeric_limits<std::int16_t>::max();
  state.sent_bytes = std::numeric_limits<std::int32_t>::max() - 100;
  inet_status_callback(state, platform::kStatusRequestSent);
  inet_status_callback(state, platform::kStatusRequestSent);
  EXPECT_EQ(state.sent_count, std::numeric_limits<std::int16_t>::max());
  EXPECT_EQ(state.sent_bytes, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(state.bar().Value(), 100);
}

// ---------------------------------------------------------------- last_response_text

TEST_F(Stages, LastResponseFitsTheFirstBuffer) {
  inet.response = "226 Transfer complete.\r\n";
  EXPECT_EQ(last_response_text(inet), "226 Transfer complete.\r\n");
  EXPECT_THAT(inet.response_lengths, ElementsAre(80u));
}

TEST_F(Stages, LongLastResponseIsFetchedAgainWithTheReportedSizePlusOne) {
  std::string text = "550-" + std::string(150, 'z') + "\r\n550 end\r\n";
  inet.response = text;
  EXPECT_EQ(last_response_text(inet), text);
  ASSERT_EQ(inet.response_lengths.size(), 2u);
  EXPECT_EQ(inet.response_lengths[0], 80u);
  EXPECT_EQ(inet.response_lengths[1], inet.response_reported[0] + 1);
}

TEST_F(Stages, LastResponseOtherFailuresAreNotRetried) {
  inet.response.reset();
  inet.response_error = inet_error::kIncorrectHandleType;
  EXPECT_EQ(last_response_text(inet), "");
  EXPECT_THAT(inet.response_lengths, ElementsAre(80u));
}

TEST_F(Stages, LastResponseEmptyOrOverstatedLength) {
  inet.response = "";
  EXPECT_EQ(last_response_text(inet), "");
  inet.response = "200 ok";
  inet.response_length_override = 5000;  // more than the buffer holds
  EXPECT_EQ(last_response_text(inet).size(), 80u);
}

// ---------------------------------------------------------------- ftpdata

TEST_F(Stages, SuccessfulUpload) {
  open_session();
  start_run();
  inet.put_notifications.assign(10, platform::kStatusRequestSent);
  bool shown_during_put = false;
  inet.during_put = [&] { shown_during_put = view.picture_visible && view.cursor == Cursor::Wait; };
  ftpdata(env);

  EXPECT_THAT(view.events,
              ElementsAre("cursor:wait", "repaint", "picture:show",
                          std::string("status:") + kUploading, "repaint", "cursor:wait",
                          "cursor:default", "enable:cmdOK", "enable:Cmdcancel", "enable:Command1",
                          "picture:hide", std::string("status:") + kDone,
                          "label1:CSV > XML >>>> Varnel"));
  EXPECT_TRUE(shown_during_put);
  EXPECT_THAT(inet.calls, ElementsAre("connect", "put_file", "close"));
  ASSERT_EQ(inet.connects.size(), 1u);
  const auto& c = inet.connects[0];
  EXPECT_EQ(c.session, state.session_handle);
  EXPECT_EQ(c.host, "ftp.test.example");
  EXPECT_EQ(c.port, 2121);
  EXPECT_EQ(c.user, "Q1AAA");
  EXPECT_EQ(c.password, "secret");
  EXPECT_EQ(c.service, 1u);
  EXPECT_EQ(c.flags, 0x10000000u);
  EXPECT_EQ(c.context, 1u);
  ASSERT_EQ(inet.puts.size(), 1u);
  const auto& p = inet.puts[0];
  EXPECT_EQ(p.local_path, env.job.xml_path);
  EXPECT_EQ(p.remote_path, "/log/Q1AAA.20020103090507.Varnel_System_format.Ver.qso");
  EXPECT_EQ(p.flags, 1u);
  EXPECT_EQ(p.context, 1u);
  EXPECT_THAT(inet.closed, ElementsAre(p.connection));

  EXPECT_EQ(state.connection_handle, 0u);
  EXPECT_EQ(state.failed_stage, "");
  EXPECT_EQ(state.upload_size, 10000);
  EXPECT_THAT(surface.captions, ElementsAre("41%", "82%", "100%", "100%", "100%", "0%"));
  EXPECT_EQ(state.bar().Value(), 0);
  EXPECT_EQ(view.cursor, Cursor::Default);
  EXPECT_TRUE(view.all_enabled());
  EXPECT_EQ(clock.reads, 2);
}

TEST_F(Stages, CountersStartFromZeroAndCountTheLoginToo) {
  open_session();
  start_run();
  state.sent_count = 99;
  state.sent_bytes = 12345;
  inet.connect_notifications.assign(3, platform::kStatusRequestSent);
  inet.put_notifications.assign(4, platform::kStatusRequestSent);
  ftpdata(env);
  // Three during login, four during the put: only the last two move the bar.
  EXPECT_EQ(state.sent_count, 7);
  EXPECT_EQ(state.sent_bytes, 2 * 4096);
  EXPECT_THAT(surface.captions, ElementsAre("41%", "82%", "0%"));
}

struct NameCase {
  platform::LocalDateTime date_reading;
  platform::LocalDateTime time_reading;
  std::string callsign;
  std::string remote;
};

class RemoteName : public Stages, public ::testing::WithParamInterface<NameCase> {};

TEST_P(RemoteName, IsBuiltFromCallsignDateAndTime) {
  const NameCase& c = GetParam();
  clock.set({c.date_reading, c.time_reading});
  env.job.callsign = c.callsign;
  open_session();
  start_run();
  ftpdata(env);
  ASSERT_EQ(inet.puts.size(), 1u);
  EXPECT_EQ(inet.puts[0].remote_path, c.remote);
  EXPECT_EQ(inet.connects[0].user, c.callsign);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RemoteName,
    ::testing::Values(
        NameCase{{2002, 1, 3, 9, 5, 7}, {2002, 1, 3, 9, 5, 7}, "Q1AAA",
                 "/log/Q1AAA.20020103090507.Varnel_System_format.Ver.qso"},
        NameCase{{2002, 1, 3, 21, 5, 7}, {2002, 1, 3, 21, 5, 7}, "Q1AAA",
                 "/log/Q1AAA.20020103210507.Varnel_System_format.Ver.qso"},
        NameCase{{2001, 4, 20, 15, 30, 45}, {2001, 4, 20, 15, 30, 45}, "abc",
                 "/log/abc.20010420153045.Varnel_System_format.Ver.qso"},
        NameCase{{2001, 4, 20, 15, 30, 45}, {2001, 4, 20, 15, 30, 45}, "q1aaa/1",
                 "/log/q1aaa/1.20010420153045.Varnel_System_format.Ver.qso"},
        // Date and time are two readings: across midnight they disagree.
        NameCase{{2002, 1, 3, 23, 59, 59}, {2002, 1, 4, 0, 0, 0}, "Q1AAA",
                 "/log/Q1AAA.20020103000000.Varnel_System_format.Ver.qso"}));

// One row per outcome of the upload step, then what errchk makes of it.
struct OutcomeCase {
  std::string name;
  std::function<void(Stages&, FakeInternet&, FtpState&)> setup;
  std::vector<std::string> statuses;  // set during the step, after the run's own text
  std::vector<std::string> messages;  // shown during the step
  std::string failed_after_step;
  bool picture_after_step;
  Cursor cursor_after_step;
  bool connection_open_after_step;
  bool uploaded;
  // After the run's errchk:
  std::vector<std::string> errchk_messages;
  bool buttons_after_errchk;
  bool picture_after_errchk;
  FtpOutcome outcome;
};

class Outcome : public Stages, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(Outcome, LeavesTheWindowAsLaidDown) {
  const OutcomeCase& c = GetParam();
  open_session();
  start_run();
  c.setup(*this, inet, state);
  EXPECT_EQ(ftpdata(env), c.outcome);

  std::vector<std::string> statuses;
  for (const auto& s : view.statuses) statuses.push_back(FakeView::readable(s));
  EXPECT_THAT(statuses, ElementsAreArray(c.statuses));
  EXPECT_THAT(view.messages_utf8(), ElementsAreArray(c.messages));
  EXPECT_EQ(state.failed_stage, c.failed_after_step);
  EXPECT_EQ(view.picture_visible, c.picture_after_step);
  EXPECT_EQ(view.cursor, c.cursor_after_step);
  EXPECT_EQ(state.connection_handle != 0, c.connection_open_after_step);
  EXPECT_EQ(inet.open_connections().empty(), !c.connection_open_after_step);
  EXPECT_EQ(!inet.puts.empty() && !inet.put_error, c.uploaded);
  EXPECT_EQ(view.all_enabled(), c.name == "success");

  const std::size_t shown = view.messages.size();
  if (!state.failed_stage.empty()) errchk(env);
  const std::vector<std::string> all = view.messages_utf8();
  const std::vector<std::string> later(all.begin() + static_cast<long>(shown), all.end());
  EXPECT_THAT(later, ElementsAreArray(c.errchk_messages));
  EXPECT_EQ(view.all_enabled(), c.buttons_after_errchk);
  EXPECT_EQ(view.none_enabled(), !c.buttons_after_errchk);
  EXPECT_EQ(view.picture_visible, c.picture_after_errchk);
  EXPECT_EQ(view.cursor, Cursor::Default);
  EXPECT_EQ(state.failed_stage, "");
}

const std::string kUp = std::string(" >> アップロード中です お待ち下さい...");

INSTANTIATE_TEST_SUITE_P(
    Table, Outcome,
    ::testing::Values(
        OutcomeCase{"success", [](auto&, auto&, auto&) {},
                    {kUp, kDone}, {}, "", false, Cursor::Default, false, true,
                    {}, true, false, FtpOutcome::Stored},
        OutcomeCase{"refused_extended_error",
                    [](auto&, FakeInternet& i, auto&) { i.connect_error = inet_error::kExtendedError; },
                    {"ERROR_INTERNET_EXTENDED_ERROR:\r\n"}, {}, "ftpdata", false, Cursor::Wait,
                    false, false, {"転送に失敗しました。再処理して下さい。"}, true, false, FtpOutcome::NotConnected},
        OutcomeCase{"refused_other_error",
                    [](auto&, FakeInternet& i, auto&) { i.connect_error = inet_error::kCannotConnect; },
                    {"異常終了。再処理して下さい..."}, {}, "ftpdata", false, Cursor::Wait, false,
                    false, {"転送に失敗しました。再処理して下さい。"}, true, false, FtpOutcome::NotConnected},
        OutcomeCase{"no_session",
                    [](auto&, auto&, FtpState& s) { s.session_handle = 0; },
                    {"異常終了。再処理して下さい..."}, {}, "ftpdata", false, Cursor::Wait, false,
                    false, {"転送に失敗しました。再処理して下さい。"}, true, false, FtpOutcome::NotConnected},
        OutcomeCase{"transfer_failed",
                    [](auto&, FakeInternet& i, auto&) { i.put_error = inet_error::kExtendedError; },
                    {kUp}, {kUp + "ERROR: 12003\r\n\r\n"}, "ftpdata", true, Cursor::Wait, true,
                    false, {"転送に失敗しました。再処理して下さい。"}, true, false, FtpOutcome::NotStored},
        OutcomeCase{"transfer_aborted",
                    [](auto&, FakeInternet& i, auto&) { i.put_error = inet_error::kConnectionAborted; },
                    {kUp}, {kUp + "ERROR: 12030\r\n\r\n"}, "ftpdata", true, Cursor::Wait, true,
                    false, {"転送に失敗しました。再処理して下さい。"}, true, false, FtpOutcome::NotStored},
        OutcomeCase{"document_vanished",
                    [](Stages& t, auto&, FtpState& s) {
                      std::filesystem::remove(t.env.job.xml_path);
                      (void)s;
                    },
                    {}, {std::string(kConnecting) + "ERROR: 2\r\n\r\n"}, "ftpdata", false,
                    Cursor::Wait, true, false, {"転送に失敗しました。再処理して下さい。"}, true,
                    false, FtpOutcome::NotStored},
        OutcomeCase{"close_after_success_failed_extended",
                    [](auto&, FakeInternet& i, auto&) {
                      i.close_outcomes = {{false, inet_error::kExtendedError}};
                    },
                    {kUp, kUp + "ERROR_INTERNET_EXTENDED_ERROR:\r\n"},
                    {"切断に失敗しました。"}, "", true, Cursor::Default, true, true, {}, false,
                    true, FtpOutcome::NotClosed},
        OutcomeCase{"close_after_success_failed_other",
                    [](auto&, FakeInternet& i, auto&) {
                      i.close_outcomes = {{false, inet_error::kConnectionReset}};
                      i.response = "421 Service closing.\r\n";
                    },
                    {kUp, kUp + "421 Service closing.\r\n"},
                    {"Fail to Disconnect FTP. GetLastError() =12031", "切断に失敗しました。"}, "",
                    true, Cursor::Default, true, true, {}, false, true, FtpOutcome::NotClosed}),
    [](const auto& info) { return info.param.name; });

TEST_F(Stages, ALeftoverConnectionIsClosedBeforeConnecting) {
  open_session();
  start_run();
  inet.put_error = inet_error::kConnectionAborted;
  ftpdata(env);  // leaves the connection open
  errchk(env);
  const platform::InetHandle leftover = state.connection_handle;
  ASSERT_NE(leftover, 0u);
  inet.calls.clear();
  inet.put_error.reset();
  start_run();
  ftpdata(env);
  EXPECT_THAT(inet.calls, ElementsAre("close", "connect", "put_file", "close"));
  EXPECT_EQ(inet.closed.front(), leftover);
  EXPECT_EQ(state.connection_handle, 0u);
  EXPECT_EQ(view.status_utf8(), kDone);
  EXPECT_TRUE(inet.open_connections().empty());
}

TEST_F(Stages, AFailingCloseOfTheLeftoverUploadsNothing) {
  open_session();
  state.connection_handle = 0x77;
  start_run();
  inet.close_outcomes = {{false, inet_error::kConnectionAborted}};
  EXPECT_EQ(ftpdata(env), FtpOutcome::NotClosed);
  EXPECT_THAT(inet.calls, ElementsAre("close", "last_response_info"));
  EXPECT_THAT(view.messages_utf8(),
              ElementsAre("Fail to Disconnect FTP. GetLastError() =12030", "切断に失敗しました。"));
  EXPECT_TRUE(view.none_enabled());
  EXPECT_FALSE(view.picture_visible);
  EXPECT_EQ(view.cursor, Cursor::Default);
  EXPECT_EQ(state.failed_stage, "");
  EXPECT_EQ(state.connection_handle, 0x77u);
  EXPECT_EQ(view.status_utf8(), kConnecting);
}

TEST_F(Stages, AFailingCloseOfTheLeftoverWithExtendedError) {
  open_session();
  state.connection_handle = 0x77;
  start_run();
  inet.close_outcomes = {{false, inet_error::kExtendedError}};
  EXPECT_EQ(ftpdata(env), FtpOutcome::NotClosed);
  EXPECT_THAT(inet.calls, ElementsAre("close"));
  EXPECT_THAT(view.messages_utf8(), ElementsAre("切断に失敗しました。"));
  EXPECT_EQ(view.status_utf8(), std::string(kConnecting) + "ERROR_INTERNET_EXTENDED_ERROR:\r\n");
  EXPECT_EQ(view.beeps, 0);
  EXPECT_TRUE(view.none_enabled());
}

}  // namespace
}  // namespace quillon

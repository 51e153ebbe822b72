#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <utility>

#include "ftp/ftp.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace quillon {
namespace {

namespace inet_error = platform::inet_error;

constexpr std::int32_t kBytesPerNotification = 4096;
constexpr int kSilentNotifications = 5;
constexpr int kMaxNamePauses = 200;  // 10 s of the system clock's pauses

std::string remote_name(const UploadJob& job, const std::string& date, const std::string& time) {
  return "/log/" + job.callsign + "." + date + time + job.format_tag + "Ver" + job.remote_ext;
}

std::int32_t to_int32_saturated(long long v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

void tell(const FtpEnv& env, FtpEvent::Kind kind, std::uint32_t error = 0, std::string text = {}) {
  if (env.tell) env.tell(FtpEvent{kind, error, std::move(text)});
}

}  // namespace

platform::InetResult ftpinit(FtpEnv& env) {
  FtpState& state = env.ftp;
  platform::InetResult opened = env.inet.open([&state](std::uint32_t status) {
    // Runs inside the layer's transfer loop: a drawing failure must not unwind
    // through it, and the bar is only a display.
    try {
      inet_status_callback(state, status);
    } catch (const std::exception&) {
    }
  });
  if (opened.ok()) state.inet_state = "ok";
  else tell(env, FtpEvent::Kind::SessionFailed, opened.error);
  return opened;
}

namespace {

// The close of ftpout, with what the layer answered.
platform::InetResult close_connection(FtpEnv& env) {
  FtpState& state = env.ftp;
  if (!state.connected) return {};
  tell(env, FtpEvent::Kind::Wait);
  platform::InetResult closed = env.inet.close();
  tell(env, FtpEvent::Kind::WaitOver);
  if (closed.ok()) {
    state.connected = false;
    return closed;
  }
  tell(env, FtpEvent::Kind::NotClosed, closed.error,
       closed.error == inet_error::kExtendedError ? std::string() : closed.reply);
  return closed;
}

}  // namespace

bool ftpout(FtpEnv& env) { return close_connection(env).ok(); }

void inet_status_callback(FtpState& state, std::uint32_t dwInternetStatus) {
  if (dwInternetStatus != platform::kStatusRequestSent) return;
  if (state.sent_count < std::numeric_limits<std::int16_t>::max()) ++state.sent_count;
  if (state.sent_count <= kSilentNotifications) return;
  state.sent_bytes = to_int32_saturated(static_cast<long long>(state.sent_bytes) + kBytesPerNotification);
  // An empty document is all sent at once.
  const double p = state.upload_size > 0 ? static_cast<double>(state.sent_bytes) / state.upload_size * 100.0 : 100.0;
  // nearbyint under the default rounding mode sends halves to the even neighbour.
  const double rounded = std::nearbyint(p);
  const std::int32_t value = rounded < 100.0 ? static_cast<std::int32_t>(rounded) : 100;
  if (state.tell) state.tell(FtpEvent{FtpEvent::Kind::Progress, 0, {}, value});
}

namespace {

FtpResult ftpdata_steps(FtpEnv& env) {
  FtpState& state = env.ftp;
  const UploadJob& job = env.job;

  // A name the destination holds already would replace that file: the clock
  // is read again until its second has passed (bounded, should it stand still).
  std::string remote;
  for (int pauses = 0;; ++pauses) {
    const std::string date = platform::format_date(env.clock.now());  // read first, as the name reads
    remote = remote_name(job, date, platform::format_time(env.clock.now()));
    if (remote != job.taken_name || pauses == kMaxNamePauses) break;
    env.clock.pause();
  }

  state.remote_name.clear();
  // Told before connecting, so that the record's write overlaps the connect
  // (and libcurl's loading) instead of holding up the store.
  tell(env, FtpEvent::Kind::RemoteName, 0, remote);
  if (const platform::InetResult leftover = close_connection(env); !leftover.ok())
    return {FtpOutcome::NotClosed, kStageOut, leftover.error, leftover.reply};

  tell(env, FtpEvent::Kind::Wait);
  state.sent_count = 0;
  state.sent_bytes = 0;

  const platform::InetResult login =
      env.inet.connect({job.host, job.port, job.callsign, job.server_password, job.passive});
  if (!login.ok()) {
    tell(env, FtpEvent::Kind::NotConnected, login.error);
    return {FtpOutcome::NotConnected, kStageData, login.error, login.reply};
  }
  state.connected = true;
  tell(env, FtpEvent::Kind::Connected);

  const std::string document = platform::native_path(job.xml_path);
  const long long size = platform::file_size(document);
  // The document vanished after it was written: a failed transfer, reported as one.
  if (size < 0) return {FtpOutcome::NotStored, kStageData, inet_error::kFileNotFound, login.reply};
  state.upload_size = to_int32_saturated(size);

  tell(env, FtpEvent::Kind::Uploading);
  state.remote_name = remote;
  const platform::InetResult stored = env.inet.put_file(document, remote, platform::TransferType::Ascii);
  if (!stored.ok()) return {FtpOutcome::NotStored, kStageData, stored.error, stored.reply, stored.data_opened, true};

  if (const platform::InetResult closed = close_connection(env); !closed.ok())
    return {FtpOutcome::StoredNotClosed, kStageOut, closed.error, closed.reply, true};
  tell(env, FtpEvent::Kind::Stored);
  return {FtpOutcome::Stored, "", 0, stored.reply, true};
}

}  // namespace

FtpResult ftpdata(FtpEnv& env) {
  // The layer's progress goes where this step's events go, while it runs.
  env.ftp.tell = env.tell;
  FtpResult result = ftpdata_steps(env);
  env.ftp.tell = nullptr;
  return result;
}

}  // namespace quillon

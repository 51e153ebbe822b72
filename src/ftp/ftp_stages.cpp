#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "ftp/ftp.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace quillon {
namespace {

namespace inet_error = platform::inet_error;

constexpr std::uintptr_t kContext = 1;  // non-zero, so the transfer reports its progress
constexpr std::uint32_t kFirstBuffer = 80;
// A server line is short; a layer announcing more than this is not believed.
constexpr std::uint32_t kMaxResponseBytes = 1u << 20;
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

bool ftpinit(FtpEnv& env) {
  FtpState& state = env.ftp;
  state.session_handle = env.inet.open();
  if (state.session_handle != 0) {
    state.inet_state = "ok";
    env.inet.set_status_callback(state.session_handle, [&state](platform::InetHandle, std::uintptr_t,
                                                                std::uint32_t status, const void*, std::uint32_t) {
      // Runs inside the layer's transfer loop: a drawing failure must not unwind
      // through it, and the bar is only a display.
      try {
        inet_status_callback(state, status);
      } catch (const std::exception&) {
      }
    });
    return true;
  }
  tell(env, FtpEvent::Kind::SessionFailed, env.inet.last_error());
  return false;
}

bool ftpout(FtpEnv& env) {
  FtpState& state = env.ftp;
  if (state.connection_handle == 0) return true;
  tell(env, FtpEvent::Kind::Wait);
  const bool closed = env.inet.close_handle(state.connection_handle);
  const std::uint32_t error = closed ? 0 : env.inet.last_error();
  tell(env, FtpEvent::Kind::WaitOver);
  if (closed) {
    state.connection_handle = 0;
    return true;
  }
  tell(env, FtpEvent::Kind::NotClosed, error,
       error == inet_error::kExtendedError ? std::string() : last_response_text(env.inet));
  return false;
}

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

std::string last_response_text(platform::Internet& inet) {
  std::vector<char> buffer(kFirstBuffer);
  std::uint32_t length = kFirstBuffer;
  std::uint32_t code = 0;
  bool ok = inet.last_response_info(&code, buffer.data(), &length);
  if (!ok && inet.last_error() == inet_error::kInsufficientBuffer && length > 0 && length < kMaxResponseBytes) {
    length += 1;
    buffer.assign(length, '\0');
    ok = inet.last_response_info(&code, buffer.data(), &length);
  }
  if (!ok || length == 0) return {};
  // Never trust a length beyond the buffer it describes.
  const std::size_t n = std::min<std::size_t>(length, buffer.size());
  return std::string(buffer.data(), n);
}

namespace {

FtpResult ftpdata_steps(FtpEnv& env) {
  FtpState& state = env.ftp;
  const UploadJob& job = env.job;

  // A name the destination holds already would replace that file: the clock
  // is read again until its second has passed (bounded, should it stand still).
  std::string date, time;
  for (int pauses = 0;; ++pauses) {
    date = platform::format_date(env.clock.now());
    time = platform::format_time(env.clock.now());
    if (remote_name(job, date, time) != job.taken_name || pauses == kMaxNamePauses) break;
    env.clock.pause();
  }

  state.remote_name.clear();
  if (state.connection_handle != 0 && !ftpout(env)) return {FtpOutcome::NotClosed, kStageOut};

  tell(env, FtpEvent::Kind::Wait);
  state.sent_count = 0;
  state.sent_bytes = 0;

  state.connection_handle = env.inet.connect(
      state.session_handle, job.host, job.port, job.callsign, job.server_password, platform::kServiceFtp,
      platform::kFlagAsync | (job.passive ? platform::kFlagPassive : 0u), kContext);
  if (state.connection_handle == 0) {
    const std::uint32_t error = env.inet.last_error();
    tell(env, FtpEvent::Kind::NotConnected, error);
    return {FtpOutcome::NotConnected, kStageData, error};
  }
  tell(env, FtpEvent::Kind::Connected);

  const std::string document = platform::native_path(job.xml_path);
  const long long size = platform::file_size(document);
  // The document vanished after it was written: a failed transfer, reported as one.
  if (size < 0) return {FtpOutcome::NotStored, kStageData, inet_error::kFileNotFound};
  state.upload_size = to_int32_saturated(size);

  tell(env, FtpEvent::Kind::Uploading);
  const std::string remote = remote_name(job, date, time);
  state.remote_name = remote;
  tell(env, FtpEvent::Kind::Storing, 0, remote);
  if (!env.inet.put_file(state.connection_handle, document, remote, platform::kTransferAscii, kContext))
    return {FtpOutcome::NotStored, kStageData, env.inet.last_error(), true};

  if (!ftpout(env)) return {FtpOutcome::StoredNotClosed, kStageOut};
  tell(env, FtpEvent::Kind::Stored);
  return {};
}

}  // namespace

FtpResult ftpdata(FtpEnv& env) {
  // The layer's progress goes where this step's events go, while it runs.
  env.ftp.tell = env.tell;
  const FtpResult result = ftpdata_steps(env);
  env.ftp.tell = nullptr;
  return result;
}

}  // namespace quillon

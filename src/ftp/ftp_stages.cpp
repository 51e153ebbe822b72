#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <vector>

#include "ftp/ftp.h"
#include "ftp/ftp_texts.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace quillon {
namespace {

namespace inet_error = platform::inet_error;

constexpr const char* kStageInit = "ftpinit";
constexpr const char* kStageData = "ftpdata";
constexpr const char* kStageOut = "ftpout";

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

// The message of a failed transfer: the status line, the code, two line breaks.
void report_transfer_failure(FtpEnv& env, std::uint32_t error) {
  env.view.message_box(env.view.status() + ftp_text::error_prefix() + std::to_string(error) + "\r\n\r\n");
  env.ftp.failed_stage = kStageData;
}

}  // namespace

void set_buttons(FtpView& view, bool enabled) {
  view.set_enabled(Button::cmdOK, enabled);
  view.set_enabled(Button::Cmdcancel, enabled);
  view.set_enabled(Button::Command1, enabled);
}

void ftpinit(FtpEnv& env) {
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
    return;
  }
  const std::uint32_t error = env.inet.last_error();
  env.view.beep();
  env.view.message_box(ftp_text::open_failed() + ftp_text::get_last_error() + std::to_string(error));
  state.failed_stage = kStageInit;
}

void ftpout(FtpEnv& env) {
  FtpState& state = env.ftp;
  if (state.connection_handle == 0) return;
  env.view.set_cursor(Cursor::Wait);
  const bool closed = env.inet.close_handle(state.connection_handle);
  const std::uint32_t error = closed ? 0 : env.inet.last_error();
  env.view.set_cursor(Cursor::Default);
  if (closed) {
    state.connection_handle = 0;
    return;
  }
  if (error == inet_error::kExtendedError) {
    env.view.set_status(env.view.status() + ftp_text::extended_error());
  } else {
    env.view.beep();
    env.view.set_status(env.view.status() + last_response_text(env.inet));
    env.view.message_box(ftp_text::disconnect_failed() + ftp_text::get_last_error() + std::to_string(error));
  }
  state.failed_stage = kStageOut;
}

void errchk(FtpEnv& env) {
  FtpState& state = env.ftp;
  const std::string stage = state.failed_stage;
  if (stage == kStageInit) {
    env.view.message_box(ftp_text::init_report());
  } else if (stage == kStageData) {
    env.view.message_box(ftp_text::transfer_report());
    set_buttons(env.view, true);
    env.view.set_picture_visible(false);
    state.bar().Value(0);
  } else if (stage == kStageOut) {
    env.view.message_box(ftp_text::close_report());
  }
  state.failed_stage.clear();
  env.view.set_cursor(Cursor::Default);
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
  state.bar().Value(value);
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

FtpOutcome ftpdata(FtpEnv& env) {
  FtpState& state = env.ftp;
  FtpView& view = env.view;
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
  if (state.connection_handle != 0) ftpout(env);
  if (!state.failed_stage.empty()) {
    errchk(env);
    return FtpOutcome::NotClosed;
  }

  view.set_cursor(Cursor::Wait);
  state.sent_count = 0;
  state.sent_bytes = 0;

  state.connection_handle = env.inet.connect(
      state.session_handle, job.host, job.port, job.callsign, job.server_password, platform::kServiceFtp,
      platform::kFlagAsync | (job.passive ? platform::kFlagPassive : 0u), kContext);
  if (state.connection_handle == 0) {
    const std::uint32_t error = env.inet.last_error();
    view.set_status(error == inet_error::kExtendedError ? ftp_text::extended_error() : ftp_text::aborted());
    state.failed_stage = kStageData;
    return FtpOutcome::NotConnected;
  }
  view.repaint();

  const std::string document = platform::native_path(job.xml_path);
  const long long size = platform::file_size(document);
  if (size < 0) {
    // The document vanished after it was written: a failed transfer, reported as one.
    report_transfer_failure(env, inet_error::kFileNotFound);
    return FtpOutcome::NotStored;
  }
  state.upload_size = to_int32_saturated(size);

  view.set_picture_visible(true);
  view.set_status(ftp_text::uploading());
  view.repaint();

  const std::string remote = remote_name(job, date, time);
  state.remote_name = remote;
  if (env.storing) env.storing(remote);
  if (!env.inet.put_file(state.connection_handle, document, remote, platform::kTransferAscii, kContext)) {
    const std::uint32_t error = env.inet.last_error();
    if (env.other_mode && env.other_mode()) {
      state.failed_stage = kStageData;
      return FtpOutcome::NotStored;
    }
    report_transfer_failure(env, error);
    return FtpOutcome::NotStored;
  }

  ftpout(env);
  if (!state.failed_stage.empty()) {
    errchk(env);
    return FtpOutcome::StoredNotClosed;
  }

  set_buttons(view, true);
  view.set_picture_visible(false);
  state.bar().Value(0);
  view.set_status(ftp_text::upload_done());
  view.set_label1_caption(ftp_text::label1_design());
  return FtpOutcome::Stored;
}

}  // namespace quillon

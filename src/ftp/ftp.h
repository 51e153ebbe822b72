#pragma once
// The FTP stages: session, upload step, close, status callback, failure report.
#include <cstdint>
#include <string>

#include "app/app_state.h"
#include "app/main_view.h"
#include "platform/clock.h"
#include "platform/inet.h"

namespace quillon {

// Everything the stages act on. The host is the build's fixed host unless a
// caller (the CLI's --server, a test) points elsewhere.
struct FtpEnv {
  AppState& state;
  MainView& view;
  platform::Internet& inet;
  platform::Clock& clock;
  std::string host;
  std::uint16_t port;
};

void ftpinit(FtpEnv& env);
void ftpdata(FtpEnv& env);
void ftpout(FtpEnv& env);
void errchk(FtpEnv& env);
void inet_status_callback(AppState& state, std::uint32_t dwInternetStatus);
// The server's last response as CP932 bytes, or empty.
std::string last_response_text(platform::Internet& inet);

}  // namespace quillon

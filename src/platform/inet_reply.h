#pragma once
// How WinINet hands over the server's last reply: into a buffer the caller
// sizes, the size it needs told back when the buffer is too small.
#include <cstdint>
#include <functional>
#include <string>

namespace quillon::platform {

// InternetGetLastResponseInfoA's shape: on success *length is the byte count
// written (no terminating zero counted); on failure *error is set, and for 122
// *length is the size needed.
using ReplyReader = std::function<bool(char* buffer, std::uint32_t* length, std::uint32_t* error)>;

// The reply: read into 80 bytes, once more into the size asked for plus one
// when that was too small (up to 1 MiB); empty when there is none.
std::string read_reply(const ReplyReader& read);

}  // namespace quillon::platform

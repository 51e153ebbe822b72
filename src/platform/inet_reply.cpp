#include "platform/inet_reply.h"

#include <algorithm>
#include <vector>

#include "platform/inet.h"

namespace quillon::platform {
namespace {

constexpr std::uint32_t kFirstBuffer = 80;
// A server line is short; a layer announcing more than this is not believed.
constexpr std::uint32_t kMaxReplyBytes = 1u << 20;

}  // namespace

std::string read_reply(const ReplyReader& read) {
  std::vector<char> buffer(kFirstBuffer);
  std::uint32_t length = kFirstBuffer;
  std::uint32_t error = 0;
  bool ok = read(buffer.data(), &length, &error);
  if (!ok && error == inet_error::kInsufficientBuffer && length > 0 && length < kMaxReplyBytes) {
    length += 1;
    buffer.assign(length, '\0');
    ok = read(buffer.data(), &length, &error);
  }
  if (!ok || length == 0) return {};
  // Never trust a length beyond the buffer it describes.
  return std::string(buffer.data(), std::min<std::size_t>(length, buffer.size()));
}

}  // namespace quillon::platform

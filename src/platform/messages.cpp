#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/messages.h"
#include "platform/messages_backend.h"

namespace quillon::platform {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;

std::optional<MoCatalog>& chosen() {
  static std::optional<MoCatalog> catalog;
  return catalog;
}

}  // namespace

MoCatalog::MoCatalog(std::string bytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() < 20) return;
  swapped_ = word(0) != kMagic;  // written on a machine of the other byte order, or not a catalog
  if (word(0) != kMagic) return;
  count_ = word(8);
}

std::uint32_t MoCatalog::word(std::size_t at) const {
  if (at + 4 > bytes_.size()) return 0;
  std::uint32_t w = 0;
  std::memcpy(&w, bytes_.data() + at, 4);
  if (swapped_) w = (w >> 24) | ((w >> 8) & 0xff00) | ((w << 8) & 0xff0000) | (w << 24);
  return w;
}

std::string_view MoCatalog::entry(std::size_t table, std::uint32_t i) const {
  const std::uint32_t size = word(table + 8 * static_cast<std::size_t>(i)),
                      offset = word(table + 8 * static_cast<std::size_t>(i) + 4);
  // Each string is followed by a NUL of its own, which the size leaves out.
  if (offset >= bytes_.size() || size >= bytes_.size() - offset) return {};
  return {bytes_.data() + offset, size};
}

const char* MoCatalog::find(const char* key, unsigned long form) const {
  if (*key == '\0') return nullptr;
  // The keys are sorted (as msgfmt writes them); a plural key compares by its
  // first form, which ends at the NUL between the two.
  std::uint32_t low = 0, high = count_;
  while (low < high) {
    const std::uint32_t mid = low + (high - low) / 2;
    const std::string_view original = entry(word(12), mid);
    if (original.data() == nullptr) return nullptr;
    const int order = std::strcmp(original.data(), key);
    if (order < 0) {
      low = mid + 1;
    } else if (order > 0) {
      high = mid;
    } else {
      std::string_view forms = entry(word(16), mid);
      for (; form > 0 && forms.find('\0') != std::string_view::npos; --form) forms.remove_prefix(forms.find('\0') + 1);
      return form == 0 && !forms.empty() ? forms.data() : nullptr;
    }
  }
  return nullptr;
}

void use_catalog(std::string mo) { chosen().emplace(std::move(mo)); }

// The empty text is a catalog's header, never a translation.
const char* translate(const char* text) {
  if (*text == '\0') return text;
  if (const auto& catalog = chosen()) {
    const char* found = catalog->find(text, 0);
    return found ? found : text;
  }
  return system_translate(text);
}

// A catalog of ours is Japanese: one form for every count.
const char* translate(const char* one, const char* many, unsigned long n) {
  if (const auto& catalog = chosen()) {
    const char* found = catalog->find(one, 0);
    return found ? found : n == 1 ? one : many;
  }
  return system_translate(one, many, n);
}

}  // namespace quillon::platform

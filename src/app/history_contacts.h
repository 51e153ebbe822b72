#pragma once
// A run's contacts as the history keeps them: their texts (UTF-8) as one JSON
// array of [record, line, callsign, call, daytime, frequency, mode, remarks],
// and beside it one 64-bit key a contact, 8 bytes each, in the same order. A
// run is then one row however many contacts it carries, and asking which
// contacts went before reads 8 bytes a contact sent.
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/conversion.h"

namespace quillon::history_form {

// 64-bit FNV-1a of `bytes`, going on from `h`.
inline std::uint64_t fnv1a(std::string_view bytes, std::uint64_t h = 0xcbf29ce484222325ull) {
  for (const unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

// The least and the greatest daytime seen, as kept, byte by byte: a contact
// the same as one of a run lies within the run's span.
struct DaytimeSpan {
  std::string first, last;
  bool seen = false;
  void add(std::string_view utf8_daytime);
};
// Of the contacts read from the log.
DaytimeSpan daytime_span(const std::vector<DocumentContact>& cp932_contacts);

// What makes two contacts one for the service (their daytime, callsign,
// frequency and mode, as kept), as 64 bits, of a contact read from the log.
std::uint64_t contact_key(const DocumentContact& cp932_contact);

// A run's contacts and keys, built one by one.
class RunContacts {
 public:
  RunContacts() = default;
  explicit RunContacts(std::size_t expected);
  explicit RunContacts(const std::vector<DocumentContact>& cp932_contacts);  // as read from the log
  void add(const DocumentContact& cp932_contact);                            // as read from the log
  void add_kept(const DocumentContact& utf8_contact);                        // as an older history kept it
  const std::string& json();                                                 // "[]" for none; add no more after it
  const std::string& keys() const { return keys_; }
  const DaytimeSpan& span() const { return span_; }

 private:
  void add_texts(int record, int line, const std::string_view (&utf8)[6]);
  std::string json_ = "[";
  bool closed_ = false;
  std::string keys_;
  DaytimeSpan span_;
};

// The contacts of a run's JSON whose call `keep` takes; throws
// Error(Failed::History, SQLITE_CORRUPT's number) when it is not JSON of the
// form RunContacts writes.
std::vector<DocumentContact> read_contacts(std::string_view json, const std::function<bool(std::string_view)>& keep);

// A key of `keys` (8 bytes each, little-endian, as RunContacts writes them).
inline std::uint64_t key_at(std::string_view keys, std::size_t i) {
  static_assert(std::endian::native == std::endian::little, "keys are read as they lie");
  std::uint64_t k = 0;
  std::memcpy(&k, keys.data() + i * 8, sizeof k);
  return k;
}

}  // namespace quillon::history_form

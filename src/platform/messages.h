#pragma once
// The command line's own texts in the user's language: written in English in
// the code, their translations in a gettext catalog.
#include <cstdint>
#include <string>
#include <string_view>

// Marks a text for the catalog where it is written, when it is translated
// only where it is shown.
#define N_(text) text

namespace quillon::platform {

// The catalog DOMAIN in the user's language, which is Japanese or none.
// Linux: gettext's, from the locale folder beside the program (share/locale),
// in the language of LANGUAGE, LC_ALL, LC_MESSAGES or LANG as gettext reads
// them. Windows: BUILTIN (a .mo) when the user's interface language is Japanese.
void open_catalog(const char* domain, std::string_view builtin);
// MO's texts, whatever the system says (the build's Japanese manual pages).
void use_catalog(std::string mo);

// TEXT's translation, TEXT itself where there is none.
const char* translate(const char* text);
// ONE's or MANY's translation for a count of N (English: ONE for 1).
const char* translate(const char* one, const char* many, unsigned long n);

// A .mo file read in place; a damaged one finds nothing.
class MoCatalog {
 public:
  explicit MoCatalog(std::string bytes);
  // The FORM-th translation (its plural forms in order) of KEY, or nullptr.
  const char* find(const char* key, unsigned long form) const;

 private:
  std::uint32_t word(std::size_t at) const;
  // The string of the table at TABLE, entry I; empty when out of bounds.
  std::string_view entry(std::size_t table, std::uint32_t i) const;

  std::string bytes_;
  std::uint32_t count_ = 0;
  bool swapped_ = false;
};

}  // namespace quillon::platform

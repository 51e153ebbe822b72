// Any bytes as the settings file: reading never fails on content, and what it
// reads writes back and reads again to the same values.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/quillon-fuzz-XXXXXX";
    return std::string(::mkdtemp(tmpl));
  }();
  const std::string path = dir + "/qsodata.qsl";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  const quillon::Settings first = quillon::read_settings(path);
  bool has_line_break = false;
  for (const std::string* s :
       {&first.csv_path, &first.xml_path, &first.callsign, &first.server_password, &first.my_portable, &first.address1,
        &first.address2, &first.address3, &first.design_no, &first.qsl_path, &first.qsl_name})
    has_line_break |= s->find('\r') != std::string::npos;
  if (has_line_break) return 0;  // a lone CR inside a line is not a value the dialog can produce
  quillon::write_settings(path, first);
  if (!(quillon::read_settings(path) == first)) std::abort();
  return 0;
}

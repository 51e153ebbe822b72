// Any bytes as the exported log: the reader either fills the records or reports
// a LogReadError, and the document writer either writes or reports a RunError.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "conversion/conversion.h"

namespace {

class FixedClock final : public quillon::platform::Clock {
 public:
  quillon::platform::LocalDateTime now() override { return {2024, 1, 1, 0, 0, 0}; }
};

const std::string& folder() {
  static const std::string dir = [] {
    char tmpl[] = "/tmp/quillon-fuzz-XXXXXX";
    return std::string(::mkdtemp(tmpl));
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static quillon::AppState state;
  state.settings.csv_path = folder() + "/log.csv";
  state.settings.xml_path = folder() + "/out.xml";
  std::FILE* f = std::fopen(state.settings.csv_path.c_str(), "wb");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  try {
    quillon::read_log(state);
    FixedClock clock;
    quillon::koushin(state, clock, quillon::kXmlDeclaration);
  } catch (const quillon::RunError&) {
  }
  return 0;
}

// Any bytes as the exported log: the reader either fills the records or reports
// an Error, and the document writer either writes or reports an Error; `check`
// finds problems exactly when one of them refuses the log.
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
  static quillon::ContactLog log;
  const std::string csv = folder() + "/log.csv";
  std::FILE* f = std::fopen(csv.c_str(), "wb");
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  bool refused = false;
  try {
    quillon::read_log(csv, log);
    FixedClock clock;
    quillon::koushin(log, {}, folder() + "/out.xml", clock, quillon::kXmlDeclaration);
  } catch (const quillon::Error&) {
    refused = true;
  }
  const std::vector<quillon::LogProblem> problems = quillon::check_log(csv);
  if (refused == problems.empty()) __builtin_trap();
  for (const quillon::LogProblem& p : problems)
    if (p.record < 1 || p.line < 1 || p.line > static_cast<int>(size) + 1) __builtin_trap();
  return 0;
}

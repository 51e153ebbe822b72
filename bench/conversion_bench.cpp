// Converting a full 2000-record log (read, convert, write) beside writing the
// same number of bytes to a file in one call.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "conversion/conversion.h"

namespace {

class FixedClock final : public quillon::platform::Clock {
 public:
  quillon::platform::LocalDateTime now() override { return {2024, 1, 1, 12, 0, 0}; }
};

struct Files {
  Files() {
    char tmpl[] = "/tmp/quillon-bench-XXXXXX";
    dir = ::mkdtemp(tmpl);
    csv = dir + "/tarnis.csv";
    xml = dir + "/qsoupdata.xml";
    std::ofstream out(csv, std::ios::binary);
    for (int i = 0; i < quillon::kMaxLogRecords; ++i)
      out << ",\"JA1ZZZ\",\"3\",,,,,,599,579,7.025,\"CW\",10,\"2024/01/01\",\"09:30\",,\"J\",,,,,,"
             "\"/1\",,,\"\x83\x5F\x83\x43\x83\x7C\x81\x5B\x83\x8B\",\"DP\",,,\"\",,,,"
             "\"\x82\xA0\x82\xE8\x82\xAA\x82\xC6\x82\xA4 TNX FB QSO\",\r\n";
  }
  ~Files() { std::filesystem::remove_all(dir); }
  std::string dir, csv, xml;
};

Files& files() {
  static Files f;
  return f;
}

void BM_ConvertFullLog(benchmark::State& st) {
  quillon::ContactLog log;
  const quillon::HeadValues head{"Q1AAA", "", "", "", "", "", 0};
  FixedClock clock;
  for (auto _ : st) {
    quillon::read_log(files().csv, log);
    quillon::koushin(log, head, files().xml, clock, quillon::kXmlDeclaration);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<long>(std::filesystem::file_size(files().xml)));
}
BENCHMARK(BM_ConvertFullLog)->Unit(benchmark::kMillisecond);

// The floor: the document's bytes written to a file (beside it, renamed, synced) in one call.
void BM_WriteSameBytesOnce(benchmark::State& st) {
  quillon::ContactLog log;
  FixedClock clock;
  quillon::read_log(files().csv, log);
  quillon::koushin(log, {}, files().xml, clock, quillon::kXmlDeclaration);
  const std::string bytes(std::filesystem::file_size(files().xml), 'x');
  const std::string temp = files().dir + "/baseline.tmp";
  const std::string target = files().dir + "/baseline.xml";
  for (auto _ : st) {
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fflush(f);
    ::fsync(::fileno(f));
    std::fclose(f);
    std::rename(temp.c_str(), target.c_str());
  }
  st.SetBytesProcessed(st.iterations() * static_cast<long>(bytes.size()));
}
BENCHMARK(BM_WriteSameBytesOnce)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

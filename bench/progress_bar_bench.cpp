// One Value set repaints the whole 249 x 17 picture; an upload does one per 4096 bytes.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "qt/qimage_surface.h"
#include "widgets/progress_bar.h"

namespace {

void BM_ValueSet(benchmark::State& state) {
  quillon::QImageSurface pic(QSize(249, 17));
  quillon::clsProgressBar bar;
  bar.Target(&pic);
  std::int32_t v = 0;
  for (auto _ : state) {
    bar.Value(v);
    v = (v + 1) % 101;
    benchmark::DoNotOptimize(pic.image().constBits());
  }
}
BENCHMARK(BM_ValueSet);

// The same with a repaint that copies the image, as a widget would on refresh.
void BM_ValueSetWithRefreshCopy(benchmark::State& state) {
  quillon::QImageSurface pic(QSize(249, 17));
  QImage shown;
  pic.set_refresh_callback([&] { shown = pic.image().copy(); });
  quillon::clsProgressBar bar;
  bar.Target(&pic);
  std::int32_t v = 0;
  for (auto _ : state) {
    bar.Value(v);
    v = (v + 1) % 101;
    benchmark::DoNotOptimize(shown.constBits());
  }
}
BENCHMARK(BM_ValueSetWithRefreshCopy);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QGuiApplication app(qt_argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

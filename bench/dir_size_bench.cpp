// The monitor's measurement of the download folder, one per second, side by
// side: the full scan against the change tracker, over trees of 10,000 and
// 100,000 files, quiet and with a download writing 10 MB each second in 16 KB
// writes. The download's writing is not timed; CPU per iteration is the
// share of one core the measurement costs at one a second.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "bench/bench_tree.h"
#include "monitor/dir_size.h"
#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

// One second of a download: 10 MB appended; restarted every 200 MB.
void DownloadSecond(const std::string& file) {
  static const std::string chunk(16 * 1024, 'd');
  static int seconds = 0;
  const int flags = O_WRONLY | O_CREAT | O_APPEND | (seconds++ % 20 == 0 ? O_TRUNC : 0);
  const int fd = ::open(file.c_str(), flags, 0644);
  for (int i = 0; i < 640; ++i)
    if (::write(fd, chunk.data(), chunk.size()) < 0) break;
  ::close(fd);
}

void BM_MonitoredSecond(benchmark::State& st) {
  const int files = static_cast<int>(st.range(0));
  const bool tracked = st.range(1) != 0;
  const bool downloading = st.range(2) != 0;
  const std::string root = MakeBenchTree(files, files / 100);
  const std::string download = root + "/g0/download.part";
  ::unlink(download.c_str());
  HeadlessServices hs;
  FullScanTracker fullScan;
  Services services = tracked ? hs.services : hs.With(fullScan);
  SharedState state;
  InitDirSize(root + "/", state, services);
  for (auto _ : st) {
    if (downloading) {
      st.PauseTiming();
      DownloadSecond(download);
      st.ResumeTiming();
    }
    GetDirRate(root + "/", state, services);
    benchmark::DoNotOptimize(state.DirTotal);
  }
  ::unlink(download.c_str());
  st.SetLabel(std::string(tracked ? "tracker" : "full scan") +
              (downloading ? ", 10 MB/s" : ", quiet"));
  st.counters["core_%"] =
      benchmark::Counter(static_cast<double>(st.iterations()) / 100.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MonitoredSecond)
    ->ArgsProduct({{10000, 100000}, {0, 1}, {0}})
    ->ArgNames({"files", "tracked", "download"})
    ->Unit(benchmark::kMicrosecond);
// A fixed count: the untimed writing would otherwise run for minutes.
BENCHMARK(BM_MonitoredSecond)
    ->ArgsProduct({{10000, 100000}, {0, 1}, {1}})
    ->ArgNames({"files", "tracked", "download"})
    ->Iterations(30)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velnook

BENCHMARK_MAIN();

// One measurement of the download folder, as the monitor makes every second,
// over trees of 10,000 and 100,000 files. Time per scan in seconds is the
// share of one core that a scan every second costs.

#include <benchmark/benchmark.h>

#include "bench/bench_tree.h"
#include "monitor/dir_size.h"
#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

void BM_GetDirRate(benchmark::State& st) {
  const int files = static_cast<int>(st.range(0));
  const std::string root = MakeBenchTree(files, files / 100) + "/";
  HeadlessServices hs;
  SharedState state;
  InitDirSize(root, state, hs.services);
  for (auto _ : st) {
    GetDirRate(root, state, hs.services);
    benchmark::DoNotOptimize(state.DirTotal);
  }
  st.counters["files"] = files;
  st.counters["cpu_share_per_second_%"] =
      benchmark::Counter(static_cast<double>(st.iterations()) / 100.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GetDirRate)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velnook

BENCHMARK_MAIN();

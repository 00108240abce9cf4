// An hour of monitoring, one second at a time: the whole program on the
// headless backend (timer ticks, measurement, average, status texts) over a
// download folder of 0 and 10,000 files. Time per iteration is one monitored
// second; times 3,600 is the CPU cost of an hour.

#include <benchmark/benchmark.h>

#include <chrono>

#include "app/program.h"
#include "bench/bench_tree.h"
#include "config/config_file.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

void BM_MonitoredSecond(benchmark::State& st) {
  const int files = static_cast<int>(st.range(0));
  TempWorkDir dir;
  dir.Write("Log/.keep", "");
  dir.Write("empty/.keep", "");
  HeadlessServices hs(dir.Path());
  ConfigValues v{.LogLevel = 1, .StartMin = 1};
  v.DPath = files > 0 ? MakeBenchTree(files, files / 100) + "\\" : "empty\\";
  hs.files.CreateFolder("Data");
  WriteConfigFile(hs.files, v, {2026, 12, 5, 3, 0, 38}, LocaleInfo{});
  Program program(hs.services, "");
  try {
    program.ProcessEntry();
    hs.loop.Advance(3000);  // past the start delay
  } catch (const ProgramEnded&) {
    st.SkipWithError(hs.messages.shown.empty() ? "ended" : hs.messages.shown.back().text.c_str());
    return;
  }
  const auto begin = std::chrono::steady_clock::now();
  for (auto _ : st) {
    hs.loop.Advance(1000);
    program.state.SecCount = 0;  // keep it monitoring: no countdown
  }
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - begin;
  const double perSecond = spent.count() / static_cast<double>(st.iterations());
  st.counters["files"] = files;
  st.counters["core_%"] = perSecond * 100;  // of one core, at one measurement a second
  st.counters["cpu_s_per_hour"] = perSecond * 3600;
}
BENCHMARK(BM_MonitoredSecond)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace velnook

BENCHMARK_MAIN();

// An hour at level Full as the monitor writes it: 3,600 entries, each one
// opening, appending to and closing a real log file. Reports the time per
// entry and how much the file grows in the hour.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

constexpr int kEntriesPerHour = 3600;

void BM_FullLevelHour(benchmark::State& st) {
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  state.settings.CMain = 1;
  state.settings.LogLevel = 3;
  state.settings.LogPath = "Log\\";
  state.settings.LogName = "Velnook.log";
  state.RateField = "   0.0";
  state.AvRateText = "   1.5";
  hs.files.CreateFolder("Log");
  const std::string log = dir.Path() + "/Log/Velnook.log";
  std::uintmax_t growth = 0;
  for (auto _ : st) {
    st.PauseTiming();
    std::filesystem::remove(log);
    EnsureLogFile(state, hs.services);
    const std::uintmax_t start = std::filesystem::file_size(log);
    st.ResumeTiming();
    for (int i = 0; i < kEntriesPerHour; ++i) {
      state.SecCount = static_cast<std::int16_t>(i);
      hs.loop.Advance(1000);
      WriteLogEntry("Run", "", state, hs.services);
    }
    st.PauseTiming();
    growth = std::filesystem::file_size(log) - start;
    st.ResumeTiming();
  }
  st.counters["bytes_per_hour"] = static_cast<double>(growth);
  st.counters["time_per_entry"] =
      benchmark::Counter(static_cast<double>(st.iterations()) * kEntriesPerHour,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FullLevelHour)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velnook

BENCHMARK_MAIN();

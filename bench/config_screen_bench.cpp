// The configuration screen's two costly moments on a real disk: opening it
// (fill, two checks with the log folder's existence test) and saving a
// change (check, load-back test, atomic replace with fsync, read back).

#include <benchmark/benchmark.h>

#include "config/config_file.h"
#include "config/frm_config.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

struct Setup {
  Setup() {
    dir.Write("Log/.keep", "");
    hs.files.CreateFolder("Data");
    hs.admin.administrator = true;
    ConfigValues v;
    v.DPath = "dls\\";
    WriteConfigFile(hs.files, v, {2026, 12, 5, 3, 0, 38}, LocaleInfo{});
    std::string summary;
    ReadConfigText(*hs.files.ReadFile(kConfigFilePath), state.settings, summary);
  }
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  FrmConfig screen{hs.services, state, {}};
};

void BM_OpenScreen(benchmark::State& st) {
  Setup s;
  for (auto _ : st) {
    s.screen.Open();
    s.screen.CloseWithoutActions();
  }
}
BENCHMARK(BM_OpenScreen)->Unit(benchmark::kMicrosecond);

void BM_SaveChange(benchmark::State& st) {
  Setup s;
  s.screen.Open();
  int n = 0;
  for (auto _ : st) {
    s.screen.Get("AvTimeT").caption = std::to_string(1 + n++ % 30);
    s.screen.OnClick("Save");
  }
  if (!s.state.ConfigChanged) st.SkipWithError("nothing was saved");
}
BENCHMARK(BM_SaveChange)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace velnook

BENCHMARK_MAIN();

// Scans one tree once the way the monitor does and prints its total, so the
// scan can be timed beside `du -sb` by hyperfine.
//   dir_scan_once <folder> | dir_scan_once --make <files> <folders>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_tree.h"
#include "monitor/dir_size.h"
#include "platform/headless/headless_services.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--make") == 0) {
    std::puts(velnook::MakeBenchTree(std::atoi(argv[2]), std::atoi(argv[3])).c_str());
    return 0;
  }
  if (argc != 2) return 2;
  velnook::HeadlessServices hs;
  velnook::SharedState state;
  if (!velnook::InitDirSize(std::string(argv[1]) + "/", state, hs.services)) return 1;
  std::printf("%lld\n", static_cast<long long>(state.DirPrevTotal));
  return 0;
}

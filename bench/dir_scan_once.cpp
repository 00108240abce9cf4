// Walks one tree once the way the program does and prints its total, so the
// walk can be timed beside `du -sb` by hyperfine.
//   dir_scan_once <folder> [threads] | dir_scan_once --make <files> <folders>
// One thread walks folder by folder as the window thread's scan does; more
// (2 by default) is the scan the program makes beside the window thread.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/bench_tree.h"
#include "platform/headless/headless_services.h"
#include "platform/posix/parallel_scan.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--make") == 0) {
    std::puts(velnook::MakeBenchTree(std::atoi(argv[2]), std::atoi(argv[3])).c_str());
    return 0;
  }
  if (argc != 2 && argc != 3) return 2;
  const int threads = argc == 3 ? std::atoi(argv[2]) : 2;
  const velnook::TreeSize size =
      threads <= 1
          ? velnook::SumWalk(*velnook::HeadlessServices().files.WalkFolders(argv[1]), nullptr)
          : velnook::ScanTreeInParallel(argv[1], threads);
  if (!size.rootRead) return 1;
  std::printf("%lld\n", static_cast<long long>(size.total));
  return 0;
}

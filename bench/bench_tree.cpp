#include "bench/bench_tree.h"

#include <filesystem>
#include <fstream>

namespace velnook {

std::string MakeBenchTree(int files, int folders) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() /
                        ("velnook-bench-" + std::to_string(files) + "-" + std::to_string(folders));
  const fs::path done = root / ".complete";
  if (fs::exists(done)) return root.string();
  fs::remove_all(root);
  for (int f = 0; f < folders; ++f) {
    fs::path dir = root / ("g" + std::to_string(f % 10)) / ("d" + std::to_string(f));
    fs::create_directories(dir);
    for (int i = f; i < files; i += folders)
      std::ofstream(dir / ("file" + std::to_string(i) + ".part"), std::ios::binary)
          << std::string(static_cast<size_t>(i % 97), 'x');
  }
  std::ofstream(done) << "";
  return root.string();
}

}  // namespace velnook

#pragma once
// A tree of files for the scan benchmarks, made once and kept for reuse.

#include <string>

namespace velnook {

// files spread evenly over folders (nested two levels deep); returns its path.
std::string MakeBenchTree(int files, int folders);

}  // namespace velnook

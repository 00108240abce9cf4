#pragma once
// Measures a folder tree's total size for the monitor. A backend may keep the
// total from change notices instead of walking the whole tree every second;
// whatever it does, the figure is the one a full scan would give.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velnook {

// A tree's total, and what could not be counted in it.
struct TreeSize {
  std::int64_t total = 0;  // bytes in the files that could be read
  bool rootRead = true;    // false: the top folder itself could not be read
  // Folders below the top left out because they cannot be read, sorted.
  std::vector<std::string> unreadable;
};

class TreeTracker {
 public:
  virtual ~TreeTracker() = default;

  // The tree below |folder| now. |fresh| forgets anything known and takes a
  // new baseline. Walks the tracker makes itself call |betweenFolders| after
  // each folder, as a scan does. Whenever it cannot vouch for its own figure
  // it returns what |fullScan| measures instead.
  virtual TreeSize Measure(const std::string& folder, bool fresh,
                           const std::function<void()>& betweenFolders,
                           const std::function<TreeSize()>& fullScan) = 0;
};

// No change notices: every measurement is a full scan.
class FullScanTracker : public TreeTracker {
 public:
  TreeSize Measure(const std::string&, bool, const std::function<void()>&,
                   const std::function<TreeSize()>& fullScan) override {
    return fullScan();
  }
};

}  // namespace velnook

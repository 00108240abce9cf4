#pragma once
// Measures a folder tree's total size for the monitor. A backend may keep the
// total from change notices instead of walking the whole tree every second;
// whatever it does, the figure is the one a full scan would give.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace velnook {

// A tree's total, and what could not be counted in it.
struct TreeSize {
  std::int64_t total = 0;  // bytes in the files that could be read
  bool rootRead = true;    // false: the top folder itself could not be read
  // Folders below the top left out because they cannot be read, sorted.
  std::vector<std::string> unreadable;
  // When the tree was measured, in seconds on a steady clock. Negative from
  // a tracker that measures when asked: then it is the moment of the call.
  double seconds = -1;
  // When the figure was handed out, on the same clock; negative with seconds.
  double askedAt = -1;
  // Nothing measured yet: the first walk since the baseline was asked for
  // has not finished. Nothing else in the record holds then.
  bool pending = false;
  // The tree has more folders than the system lets the tracker watch, so it
  // is walked whole each time.
  bool outOfWatches = false;
  // A check against a full walk found the followed total this many bytes
  // short (negative: over) and corrected it; reported once.
  std::int64_t corrected = 0;
};

// Sums a walk the way a full scan counts: a folder that cannot be read is
// left out and named (the top one clears rootRead). |betweenFolders| (may be
// empty) runs after each folder.
TreeSize SumWalk(FolderWalk& walk, const std::function<void()>& betweenFolders);

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

#pragma once
// Measures a folder tree's total size for the monitor. A backend may keep the
// total from change notices instead of walking the whole tree every second;
// whatever it does, the figure is the one a full scan would give.

#include <cstdint>
#include <functional>
#include <string>

namespace velnook {

class TreeTracker {
 public:
  virtual ~TreeTracker() = default;

  // The total of the files below |folder| now. |fresh| forgets anything known
  // and takes a new baseline. Walks the tracker makes itself call
  // |betweenFolders| after each folder, as a scan does. Whenever it cannot
  // vouch for its own figure it returns what |fullScan| measures instead.
  virtual std::int64_t Measure(const std::string& folder, bool fresh,
                               const std::function<void()>& betweenFolders,
                               const std::function<std::int64_t()>& fullScan) = 0;
};

// No change notices: every measurement is a full scan.
class FullScanTracker : public TreeTracker {
 public:
  std::int64_t Measure(const std::string&, bool, const std::function<void()>&,
                       const std::function<std::int64_t()>& fullScan) override {
    return fullScan();
  }
};

}  // namespace velnook

#pragma once
// Measures on a thread of its own, so that no walk, however long, holds the
// window thread. Each call asks for a measurement and waits a moment for it
// (one from change notices takes less), else hands back the newest finished
// one; each is stamped with when it was made, and the rate is the change
// over the time between two of them. Now and then it checks the
// figure it follows against a full walk and puts a difference right.

#include <functional>
#include <memory>
#include <string>

#include "platform/tree_tracker.h"

namespace velnook {

class BackgroundTracker : public TreeTracker {
 public:
  // A full scan of the folder, made on the measuring thread.
  using Scan = std::function<TreeSize(const std::string& folder)>;
  // |inner| measures on the thread with |scan| as its full scan. Every
  // |checkEvery| measurements (0: never) of a tree it follows, |scan| checks it.
  BackgroundTracker(std::unique_ptr<TreeTracker> inner, Scan scan, int checkEvery);
  // Lets the thread go; a walk under way finishes on its own.
  ~BackgroundTracker() override;
  BackgroundTracker(const BackgroundTracker&) = delete;
  BackgroundTracker& operator=(const BackgroundTracker&) = delete;

  // Waits 50 ms at most: |betweenFolders| and |fullScan| are not used, as
  // the window thread's own scan would hold it. |fresh| (or another folder) drops what
  // is known; until the new baseline is walked the answer is pending.
  TreeSize Measure(const std::string& folder, bool fresh,
                   const std::function<void()>& betweenFolders,
                   const std::function<TreeSize()>& fullScan) override;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace velnook

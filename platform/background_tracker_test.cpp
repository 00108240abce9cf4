#include "platform/background_tracker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace velnook {
namespace {

// Follows a total of its own from a long walk; it drifts from the tree's
// (what the scan finds) when told to, until the next baseline.
class DriftingTracker : public TreeTracker {
 public:
  TreeSize Measure(const std::string&, bool fresh, const std::function<void()>&,
                   const std::function<TreeSize()>& fullScan) override {
    if (fresh) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (fresh) followed = fullScan().total, drift = 0;
    return TreeSize{followed + drift};
  }
  std::atomic<std::int64_t> drift{0};
  std::int64_t followed = 0;
};

// Asks until the answer is no longer pending and is newer than |after|.
TreeSize Next(BackgroundTracker& tracker, double after) {
  TreeSize size = tracker.Measure("dl", false, {}, {});
  for (int i = 0; i < 500 && (size.pending || size.seconds <= after); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    size = tracker.Measure("dl", false, {}, {});
  }
  return size;
}

TEST(BackgroundTracker, AnswersAtOnceWithTheNewestStampedMeasurementAndPutsDriftRight) {
  auto owned = std::make_unique<DriftingTracker>();
  DriftingTracker& inner = *owned;
  std::atomic<int> scans{0};
  const auto scan = [&](const std::string&) { return ++scans, TreeSize{1000}; };
  BackgroundTracker tracker(std::move(owned), scan, 3);
  EXPECT_TRUE(tracker.Measure("dl", true, {}, {}).pending) << "the baseline is walked elsewhere";
  TreeSize size = Next(tracker, 0);
  EXPECT_EQ(size.total, 1000);
  EXPECT_GT(Next(tracker, size.seconds).seconds, size.seconds);
  // Events lost: 300 short of the tree's until the third measurement's walk.
  inner.drift = -300;
  for (size = TreeSize{}; size.corrected == 0 && scans < 10;) size = Next(tracker, size.seconds);
  EXPECT_EQ(size.corrected, 300);
  EXPECT_EQ(size.total, 1000);
  EXPECT_EQ(Next(tracker, size.seconds).corrected, 0) << "told once";
  EXPECT_TRUE(tracker.Measure("other", false, {}, {}).pending) << "another folder starts afresh";
}

}  // namespace
}  // namespace velnook

#include "platform/background_tracker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace velnook {
namespace {

// Follows a total of its own from a walk, which drifts from the tree's (what
// the scan finds) when told to, until the next baseline.
class DriftingTracker : public TreeTracker {
 public:
  TreeSize Measure(const std::string&, bool fresh, const std::function<void()>&,
                   const std::function<TreeSize()>& fullScan) override {
    if (fresh) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));  // a long walk
      followed = fullScan().total;
      drift = 0;
    }
    TreeSize size;
    size.total = followed + drift;
    return size;
  }
  std::atomic<std::int64_t> drift{0};
  std::int64_t followed = 0;
};

// Asks until the answer is no longer pending and is newer than |after|.
TreeSize Next(BackgroundTracker& tracker, bool fresh, double after) {
  TreeSize size = tracker.Measure("dl", fresh, {}, {});
  for (int i = 0; i < 500 && (size.pending || size.seconds <= after); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    size = tracker.Measure("dl", false, {}, {});
  }
  return size;
}

TEST(BackgroundTracker, AnswersAtOnceWithTheNewestStampedMeasurementAndPutsDriftRight) {
  std::atomic<std::int64_t> tree{1000};
  auto owned = std::make_unique<DriftingTracker>();
  DriftingTracker& inner = *owned;
  std::atomic<int> scans{0};
  BackgroundTracker tracker(
      std::move(owned),
      [&](const std::string&) {
        ++scans;
        TreeSize size;
        size.total = tree;
        return size;
      },
      3);
  EXPECT_TRUE(tracker.Measure("dl", true, {}, {}).pending) << "the baseline is walked elsewhere";
  TreeSize first = Next(tracker, false, 0);
  EXPECT_EQ(first.total, 1000);
  EXPECT_GT(first.seconds, 0);
  const TreeSize second = Next(tracker, false, first.seconds);
  EXPECT_GT(second.seconds, first.seconds);

  // Events lost: the followed figure is 300 short of the tree's until the
  // third measurement checks it against a walk.
  inner.drift = -300;
  TreeSize size;
  for (double last = second.seconds; size.corrected == 0 && scans < 10; last = size.seconds)
    size = Next(tracker, false, last);
  EXPECT_EQ(size.corrected, 300);
  EXPECT_EQ(size.total, 1000);
  EXPECT_EQ(Next(tracker, false, size.seconds).corrected, 0) << "told once";

  EXPECT_TRUE(tracker.Measure("other", false, {}, {}).pending) << "another folder starts afresh";
}

}  // namespace
}  // namespace velnook

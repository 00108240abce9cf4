#include "monitor/dir_size.h"

#include <gtest/gtest.h>

#include <set>

#include "monitor/dir_size_fixture.h"

namespace velnook {
namespace {

TEST_P(DirSizeTest, RateIsTheAbsoluteChangeInKbWithOneDecimal) {
  ASSERT_TRUE(InitDirSize(dl, state, S()));
  EXPECT_EQ(state.RateText, "0");
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "0.0");  // an empty folder stays at 0

  Grow("a", 1536);
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "1.5");
  Grow("a", 51);
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "0.0");
  Grow("a", 52);
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "0.1");

  Grow("b", 2048);
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  fs::remove(dir.Path() + "/dl/b");
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "2.0");  // shrinking counts like growing

  fs::create_directories(dir.Path() + "/dl/x/y/z");
  Grow("x/y/z/deep", 1024);
  Grow("x/top", 1024);
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "2.0");
  EXPECT_EQ(state.DirPrevTotal, 1536 + 51 + 52 + 2048);
  // One event pass per measurement and one per folder, so the window lives.
  EXPECT_GE(hs.loop.pendingEventPasses, 5);
}

TEST(FormatRateText, LocaleRoundingAndClamp) {
  LocaleInfo comma;
  comma.decimalSeparator = ',';
  EXPECT_EQ(FormatRateText(1536, comma), "1,5");
  EXPECT_EQ(FormatRateText(256, LocaleInfo{}), "0.3");  // 0.25 rounds up
  EXPECT_EQ(FormatRateText(2000000LL * 1024 + 51, LocaleInfo{}), "2000000.0");
  EXPECT_EQ(FormatRateText(2000000LL * 1024 + 52, LocaleInfo{}), "2000000");  // 2000000.1
}

TEST_P(DirSizeTest, MissingFolderReturnsFalseAndKeepsStateAndSizesAreSixtyFourBit) {
  EXPECT_FALSE(InitDirSize("nothere\\", state, S()));
  EXPECT_EQ(state.RateText, "0");
  EXPECT_EQ(state.DirPrevTotal, 0);

  // A sparse 5 GiB file takes no disk space but has its full length.
  Grow("a", 1);
  fs::resize_file(dir.Path() + "/dl/a", 5ULL << 30);
  ASSERT_TRUE(InitDirSize(dl, state, S()));
  EXPECT_EQ(state.DirPrevTotal, 5LL << 30);
  Grow("a", 1024);
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  fs::remove_all(dir.Path() + "/dl");
  EXPECT_FALSE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "1.0");
  EXPECT_EQ(state.DirPrevTotal, (5LL << 30) + 1024);
}

TEST_P(DirSizeTest, UserProfileIsExpandedOnlyAtTheStartAndExactly) {
  hs.process.environment["USERPROFILE"] = dir.Path();
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", hs.process), dir.Path() + "\\dl\\");
  EXPECT_EQ(ExpandDownloadPath("%userprofile%\\dl\\", hs.process), "%userprofile%\\dl\\");
  EXPECT_EQ(ExpandDownloadPath("x%USERPROFILE%", hs.process), "x%USERPROFILE%");
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE", hs.process), "%USERPROFILE");
  EXPECT_TRUE(InitDirSize("%USERPROFILE%\\dl\\", state, S()));

  hs.process.environment.erase("USERPROFILE");
  hs.process.environment["HOME"] = "/home/u";
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", hs.process), "/home/u\\dl\\");
  hs.process.environment.clear();
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", hs.process), "\\dl\\");
}

INSTANTIATE_TEST_SUITE_P(ScanAndTracker, DirSizeTest, ::testing::Bool());

class PlainScanTest : public DirSizeTest {};

TEST_F(PlainScanTest, EntriesVanishingDuringTheScanAreSkipped) {
  fs::create_directories(dir.Path() + "/dl/sub");
  Grow("keep", 1000);
  Grow("sub/part", 500);
  ASSERT_TRUE(InitDirSize(dl, state, plain));
  // A download manager renames and removes its partial file mid-scan.
  int passes = 0;
  hs.loop.onPendingEvents = [&] {
    if (++passes == 2) fs::remove_all(dir.Path() + "/dl/sub");
  };
  ASSERT_TRUE(GetDirRate(dl, state, plain));
  EXPECT_EQ(state.DirPrevTotal, 1000);
  EXPECT_EQ(state.RateText, "0.5");
}

// Hands out the measurements a tracker beside the window thread would.
class ScriptedTracker : public TreeTracker {
 public:
  TreeSize Measure(const std::string&, bool, const std::function<void()>&,
                   const std::function<TreeSize()>&) override {
    return next;
  }
  TreeSize next;
};

TEST_F(PlainScanTest, TheRateIsPerSecondOfTheTimeBetweenMeasurements) {
  ScriptedTracker tracker;
  Services s = hs.With(tracker);
  tracker.next.pending = true;
  ASSERT_TRUE(InitDirSize(dl, state, s)) << "the top folder reads";
  const struct {
    std::int64_t total;
    double seconds;  // 0: still pending
    const char* rate;
  } steps[] = {
      {0, 0, "0"},               // the baseline is still being walked
      {1000, 10, "0"},           // it is done, and becomes the baseline
      {1000 + 3072, 13, "1.0"},  // a walk that took three seconds
      {1000 + 3072, 13, "1.0"},  // nothing newer: the rate stands
      {1000 + 3072 + 1024, 13.5, "2.0"},
  };
  for (const auto& step : steps) {
    tracker.next = TreeSize{};
    tracker.next.pending = step.seconds == 0;
    tracker.next.total = step.total;
    tracker.next.seconds = step.seconds;
    ASSERT_TRUE(GetDirRate(dl, state, s));
    EXPECT_EQ(state.RateText, step.rate) << step.total << " at " << step.seconds;
  }
  tracker.next.outOfWatches = true;
  tracker.next.corrected = 512;
  tracker.next.seconds = 14;
  ASSERT_TRUE(GetDirRate(dl, state, s));
  EXPECT_TRUE(state.DirWalked);
  EXPECT_EQ(state.DirCorrected, 512);
}

// The folder's path led into one file system at the start; where it leads now.
class MovingMounts : public NativeFileSystem {
 public:
  std::string FileSystemOf(const std::string&) override { return now; }
  bool IsMounted(const std::string& fileSystem) override { return mounted.count(fileSystem) > 0; }
  std::string now = "8:1";
  std::set<std::string> mounted{"8:1", "0:50"};
};

TEST_F(PlainScanTest, AnotherFileSystemUnderThePathIsAMissingFolder) {
  const struct {
    std::string now;  // "" cannot be told
    bool oldStillMounted;
    bool measured;
    const char* lostAs;
  } cases[] = {{"8:1", false, true, ""},
               {"", false, true, ""},
               {"0:50", true, false, "Remounted"},
               {"0:50", false, false, "Unmounted"}};
  for (const auto& c : cases) {
    MovingMounts files;
    Services s = WithFiles(plain, files);
    state = SharedState{};
    ASSERT_TRUE(InitDirSize(dl, state, s));
    EXPECT_EQ(state.DirFileSystem, "8:1");
    files.now = c.now;
    if (!c.oldStillMounted) files.mounted.erase("8:1");
    EXPECT_EQ(GetDirRate(dl, state, s), c.measured) << c.now;
    EXPECT_EQ(InitDirSize(dl, state, s), c.measured) << "nor a new baseline there";
    EXPECT_EQ(state.DirLostAs, c.lostAs);
  }
}

}  // namespace
}  // namespace velnook

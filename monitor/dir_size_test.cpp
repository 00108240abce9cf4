#include "monitor/dir_size.h"

#include <gtest/gtest.h>

#include "monitor/dir_size_fixture.h"

namespace velnook {
namespace {

TEST_P(DirSizeTest, RateIsTheAbsoluteChangeInKbAndAMissingFolderKeepsTheState) {
  EXPECT_FALSE(InitDirSize("nothere\\", state, S()));
  hs.process.environment["USERPROFILE"] = dir.Path();
  dl = "%USERPROFILE%\\dl\\";  // as the default path is stored
  // A sparse 5 GiB file takes no disk space but has its full length.
  Grow("big", 1);
  fs::resize_file(dir.Path() + "/dl/big", 5ULL << 30);
  ASSERT_TRUE(InitDirSize(dl, state, S()));
  EXPECT_EQ(state.RateText, "0");
  EXPECT_EQ(Rate(), "0.0");
  Grow("a", 1536);
  EXPECT_EQ(Rate(), "1.5");
  Grow("a", 51);
  EXPECT_EQ(Rate(), "0.0");
  Grow("b", 2048);
  Rate();
  fs::remove(dir.Path() + "/dl/b");
  EXPECT_EQ(Rate(), "2.0");  // shrinking counts like growing
  fs::create_directories(dir.Path() + "/dl/x/y/z");
  Grow("x/y/z/deep", 1024);
  Grow("x/top", 1024);
  EXPECT_EQ(Rate(), "2.0");
  // One event pass per measurement and one per folder, so the window lives.
  EXPECT_GE(hs.loop.pendingEventPasses, 5);
  fs::remove_all(dir.Path() + "/dl");
  EXPECT_FALSE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "2.0");
  EXPECT_EQ(state.DirPrevTotal, (5LL << 30) + 1536 + 51 + 2048);
}

TEST(FormatRateText, LocaleRoundingAndClamp) {
  LocaleInfo comma;
  comma.decimalSeparator = ',';
  EXPECT_EQ(FormatRateText(1536, comma), "1,5");
  EXPECT_EQ(FormatRateText(256, LocaleInfo{}), "0.3");  // 0.25 rounds up
  EXPECT_EQ(FormatRateText(2000000LL * 1024 + 51, LocaleInfo{}), "2000000.0");
  EXPECT_EQ(FormatRateText(2000000LL * 1024 + 52, LocaleInfo{}), "2000000");  // 2000000.1
}

INSTANTIATE_TEST_SUITE_P(ScanAndTracker, DirSizeTest, ::testing::Bool());

TEST(ExpandDownloadPath, OnlyALeadingUserProfileExactlyAndHomeWithoutIt) {
  TestProcess process;
  process.environment["USERPROFILE"] = "/u";
  for (const char* same : {"%userprofile%\\dl\\", "x%USERPROFILE%", "%USERPROFILE"})
    EXPECT_EQ(ExpandDownloadPath(same, process), same);
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", process), "/u\\dl\\");
  process.environment = {{"HOME", "/home/u"}};
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", process), "/home/u\\dl\\");
  process.environment.clear();
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", process), "\\dl\\");
}

class PlainScanTest : public DirSizeTest {};  // measures with |plain| alone

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
  const std::tuple<std::int64_t, double, double, const char*> steps[] = {
      {0, 0, 0, "0"},                 // seconds 0: the baseline is still being walked
      {1000, 10, 10, "0"},            // it is done, and becomes the baseline
      {1000 + 3072, 13, 13, "1.0"},   // a walk that took three seconds
      {1000 + 3072, 13, 14, "1.0"},   // nothing newer: reckoned on at the last rate
      {1000 + 4096, 15, 15, "0.0"}};  // in: what was reckoned is not counted again
  for (const auto& [total, seconds, asked, rate] : steps) {
    tracker.next = TreeSize{total, true, {}, seconds, asked, seconds == 0};
    ASSERT_TRUE(GetDirRate(dl, state, s));
    EXPECT_EQ(state.RateText, rate) << total << " at " << seconds;
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
  bool IsMounted(const std::string& f) override { return f != "8:1" || oldMounted; }
  std::string now = "8:1";
  bool oldMounted = true;
};

TEST_F(PlainScanTest, AnotherFileSystemUnderThePathIsAMissingFolder) {
  // Where the path leads now ("" cannot be told), whether the old one is
  // still mounted, and what it is taken for.
  const std::tuple<std::string, bool, const char*> cases[] = {{"8:1", false, ""},
                                                              {"", false, ""},
                                                              {"0:50", true, "Remounted"},
                                                              {"0:50", false, "Unmounted"}};
  for (const auto& [now, oldMounted, lostAs] : cases) {
    MovingMounts files;
    Services s = WithFiles(plain, files);
    state = SharedState{};
    ASSERT_TRUE(InitDirSize(dl, state, s));
    EXPECT_EQ(state.DirFileSystem, "8:1");
    files.now = now;
    files.oldMounted = oldMounted;
    const bool measured = *lostAs == '\0';
    EXPECT_EQ(GetDirRate(dl, state, s), measured) << now;
    EXPECT_EQ(InitDirSize(dl, state, s), measured) << "nor a new baseline there";
    EXPECT_EQ(state.DirLostAs, lostAs);
  }
}

}  // namespace
}  // namespace velnook

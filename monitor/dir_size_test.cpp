#include "monitor/dir_size.h"

#include <gtest/gtest.h>

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

TEST(FormatRateText, FormatAndClamp) {
  LocaleInfo comma;
  comma.decimalSeparator = ',';
  EXPECT_EQ(FormatRateText(1536, LocaleInfo{}), "1.5");
  EXPECT_EQ(FormatRateText(1536, comma), "1,5");
  EXPECT_EQ(FormatRateText(-2048, LocaleInfo{}), "2.0");
  EXPECT_EQ(FormatRateText(256, LocaleInfo{}), "0.3");  // 0.25 rounds up
  EXPECT_EQ(FormatRateText(2000000LL * 1024, LocaleInfo{}), "2000000.0");
  EXPECT_EQ(FormatRateText(2000000LL * 1024 + 51, LocaleInfo{}), "2000000.0");
  EXPECT_EQ(FormatRateText(2000000LL * 1024 + 52, LocaleInfo{}), "2000000");  // 2000000.1
  EXPECT_EQ(FormatRateText(5LL << 40, LocaleInfo{}), "2000000");
}

TEST_P(DirSizeTest, MissingFolderReturnsFalseAndKeepsState) {
  EXPECT_FALSE(InitDirSize("nothere\\", state, S()));
  EXPECT_EQ(state.RateText, "0");
  EXPECT_EQ(state.DirTotal, 0);
  EXPECT_EQ(state.DirPrevTotal, 0);

  Grow("a", 3000);
  ASSERT_TRUE(InitDirSize(dl, state, S()));
  Grow("a", 1024);
  ASSERT_TRUE(GetDirRate(dl, state, S()));
  fs::remove_all(dir.Path() + "/dl");
  EXPECT_FALSE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "1.0");
  EXPECT_EQ(state.DirPrevTotal, 4024);
}

TEST_P(DirSizeTest, UserProfileIsExpandedOnlyAtTheStartAndExactly) {
  hs.process.environment["USERPROFILE"] = dir.Path();
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", hs.process), dir.Path() + "\\dl\\");
  EXPECT_EQ(ExpandDownloadPath("%userprofile%\\dl\\", hs.process), "%userprofile%\\dl\\");
  EXPECT_EQ(ExpandDownloadPath("x%USERPROFILE%", hs.process), "x%USERPROFILE%");
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE", hs.process), "%USERPROFILE");
  Grow("a", 10);
  EXPECT_TRUE(InitDirSize("%USERPROFILE%\\dl\\", state, S()));
  EXPECT_EQ(state.DirPrevTotal, 10);
  EXPECT_FALSE(InitDirSize("%userprofile%\\dl\\", state, S()));

  hs.process.environment.erase("USERPROFILE");
  hs.process.environment["HOME"] = "/home/u";
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", hs.process), "/home/u\\dl\\");
  hs.process.environment.clear();
  EXPECT_EQ(ExpandDownloadPath("%USERPROFILE%\\dl\\", hs.process), "\\dl\\");
}

TEST_P(DirSizeTest, SizesAreSixtyFourBit) {
  // A sparse 5 GiB file takes no disk space but has its full length.
  const std::string big = dir.Path() + "/dl/big";
  { std::ofstream(big, std::ios::binary) << 'x'; }
  fs::resize_file(big, 5ULL << 30);
  ASSERT_TRUE(InitDirSize(dl, state, S()));
  EXPECT_EQ(state.DirPrevTotal, 5LL << 30);
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

}  // namespace
}  // namespace velnook

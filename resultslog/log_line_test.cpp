#include "resultslog/log_line.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

LogLineFields At(int count, int level = 2, int cMain = 1) {
  return {.time = "05-Dec-26 14:03:27",
          .count = count,
          .logLevel = level,
          .cMain = cMain,
          .rateField = "   0.0",
          .avRateText = "   1.5",
          .linkStatus = "-OK-"};
}

TEST(FormatLogLine, WorkedExamplesOfEachLevelAndRole) {
  const std::string normal = FormatLogLine("Start", "Shutdown", At(31));
  EXPECT_EQ(normal, "05-Dec-26 14:03:27,  Start    , Shutdown  , Count:  31");
  EXPECT_EQ(normal.size(), 54u);
  EXPECT_EQ(
      FormatLogLine("Run", "", At(4, 3, 1)),
      "05-Dec-26 14:03:27,  Run      ,           , Count:   4, Rate:    0.0, Av Rate:    1.5");
  EXPECT_EQ(FormatLogLine("Run", "", At(0, 3, 2)),
            "05-Dec-26 14:03:27,  Run      ,           , Count:   0, Comms: -OK-");
  // Figures and link status belong to Full only, whatever the role.
  EXPECT_EQ(FormatLogLine("Run", "", At(0, 2, 2)),
            "05-Dec-26 14:03:27,  Run      ,           , Count:   0");
  LogLineFields test = At(2);
  test.testMode = true;
  EXPECT_EQ(FormatLogLine("Enter", "Test", test),
            "05-Dec-26 14:03:27, *Enter    , Test      , Count:   2");
}

TEST(FormatLogLine, FieldsAreCutAndPaddedToTheirWidths) {
  EXPECT_EQ(FormatLogLine("----------", "----------", At(0)),
            "05-Dec-26 14:03:27,  ---------, ----------, Count:   0");
  EXPECT_EQ(FormatLogLine("Hibernate", "12345678901", At(0)),
            "05-Dec-26 14:03:27,  Hibernate, 1234567890, Count:   0");
  LogLineFields test = At(0);
  test.testMode = true;
  EXPECT_EQ(FormatLogLine("Simulate", "Power Off", test),
            "05-Dec-26 14:03:27, *Simulate , Power Off , Count:   0");
  // One empty text is still an entry; only both empty make the separator.
  EXPECT_EQ(FormatLogLine("", "Run", At(0)),
            "05-Dec-26 14:03:27,           , Run       , Count:   0");
  EXPECT_EQ(FormatLogLine("", "", At(5, 3)), "\r\n");
}

TEST(FormatLogLine, LineBreaksInTheTextsNeitherSplitTheEntryNorShiftItsColumns) {
  // Found by the log line fuzzer: a CR or LF in a text went into the file.
  EXPECT_EQ(FormatLogLine("Hi\r\nthere", "a\nb", At(7)),
            "05-Dec-26 14:03:27,  Hi  there, a b       , Count:   7");
  LogLineFields full = At(1, 3, 2);
  full.linkStatus = "-OK-\r\n";
  EXPECT_EQ(FormatLogLine("\r", "", full),
            "05-Dec-26 14:03:27,           ,           , Count:   1, Comms: -OK-  ");
}

TEST(FormatLogLine, CountKeepsItsLastFourCharacters) {
  EXPECT_EQ(FormatLogLine("Run", "", At(3600)).substr(44), "Count:3600");
  EXPECT_EQ(FormatLogLine("Run", "", At(-1)).substr(44), "Count:  -1");
  EXPECT_EQ(FormatLogLine("Run", "", At(32767)).substr(44), "Count:2767");
  EXPECT_EQ(FormatLogLine("Run", "", At(-32768)).substr(44), "Count:2768");
}

}  // namespace
}  // namespace velnook

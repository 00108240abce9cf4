#include "resultslog/log_line.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(FormatLogLine, EachLevelAndRoleWithFieldsCutAndPaddedToTheirWidths) {
  const struct {
    const char* first;
    const char* second;
    int count, level, cMain;
    bool testMode;
    const char* linkStatus;
    const char* line;
  } cases[] = {
      {"Run", "", 4, 3, 1, false, "-OK-",
       "05-Dec-26 14:03:27,  Run      ,           , Count:   4, Rate:    0.0, Av Rate:    1.5"},
      {"Run", "", 0, 3, 2, false, "-OK-",
       "05-Dec-26 14:03:27,  Run      ,           , Count:   0, Comms: -OK-"},
      // Figures and link status belong to Full only, whatever the role.
      {"Run", "", 0, 2, 2, false, "-OK-", "05-Dec-26 14:03:27,  Run      ,           , Count:   0"},
      {"----------", "12345678901", 0, 2, 1, true, "-OK-",
       "05-Dec-26 14:03:27, *---------, 1234567890, Count:   0"},
      // One empty text is still an entry; only both empty make the separator.
      {"", "Run", 0, 2, 1, false, "-OK-", "05-Dec-26 14:03:27,           , Run       , Count:   0"},
      {"", "", 5, 3, 1, false, "-OK-", "\r\n"},
      // Line breaks neither split the entry nor shift its columns.
      {"Hi\r\nthere", "a\nb", 7, 2, 1, false, "-OK-",
       "05-Dec-26 14:03:27,  Hi  there, a b       , Count:   7"},
      {"\r", "", 1, 3, 2, false, "-OK-\r\n",
       "05-Dec-26 14:03:27,           ,           , Count:   1, Comms: -OK-  "},
      // The count keeps its last four characters.
      {"Run", "", 3600, 2, 1, false, "", "05-Dec-26 14:03:27,  Run      ,           , Count:3600"},
      {"Run", "", -1, 2, 1, false, "", "05-Dec-26 14:03:27,  Run      ,           , Count:  -1"},
      {"Run", "", -32768, 2, 1, false, "",
       "05-Dec-26 14:03:27,  Run      ,           , Count:2768"},
  };
  for (const auto& c : cases) {
    const LogLineFields fields{.time = "05-Dec-26 14:03:27",
                               .testMode = c.testMode,
                               .count = c.count,
                               .logLevel = c.level,
                               .cMain = c.cMain,
                               .rateField = "   0.0",
                               .avRateText = "   1.5",
                               .linkStatus = c.linkStatus};
    EXPECT_EQ(FormatLogLine(c.first, c.second, fields), c.line);
  }
}

}  // namespace
}  // namespace velnook

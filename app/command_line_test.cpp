#include <gtest/gtest.h>

#include "app/program.h"

namespace velnook {
namespace {

TEST(CommandLine, SwitchesCountOnlyAtTheirPlaceAndInTheirCase) {
  const struct {
    const char* line;
    bool allowMulti;
    int startSwitch;
  } rows[] = {{"", false, 0},
              {"anything -AllowMulti", true, 0},
              {"-allowmulti", false, 0},
              {"-AllowMulti ", false, 0},
              {"-InhibitShutdown -AllowMulti", true, 1},
              {"-AllowMulti -InhibitShutdown", false, 0},
              {"-inhibitshutdown", false, 0},
              {"-AddErrorMessageXYZ", false, 2},  // the first 16 characters
              {" -AddErrorMessage", false, 0}};
  for (const auto& r : rows) {
    EXPECT_EQ(ParseCommandLine(r.line).allowMulti, r.allowMulti) << r.line;
    EXPECT_EQ(ParseCommandLine(r.line).startSwitch, r.startSwitch) << r.line;
  }
}

}  // namespace
}  // namespace velnook

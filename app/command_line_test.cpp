#include <gtest/gtest.h>

#include "app/program.h"

namespace velnook {
namespace {

TEST(CommandLine, SwitchesCountOnlyAtTheirPlaceAndInTheirCase) {
  EXPECT_FALSE(ParseCommandLine("").allowMulti);
  EXPECT_EQ(ParseCommandLine("").startSwitch, 0);
  EXPECT_TRUE(ParseCommandLine("-AllowMulti").allowMulti);
  EXPECT_TRUE(ParseCommandLine("anything -AllowMulti").allowMulti);
  EXPECT_FALSE(ParseCommandLine("-allowmulti").allowMulti);
  EXPECT_FALSE(ParseCommandLine("-AllowMulti ").allowMulti);

  auto both = ParseCommandLine("-InhibitShutdown -AllowMulti");
  EXPECT_TRUE(both.allowMulti);
  EXPECT_EQ(both.startSwitch, 1);
  auto modeOnly = ParseCommandLine("-AllowMulti -InhibitShutdown");
  EXPECT_FALSE(modeOnly.allowMulti);
  EXPECT_EQ(modeOnly.startSwitch, 0);
  EXPECT_EQ(ParseCommandLine("-AddErrorMessage").startSwitch, 2);
  EXPECT_EQ(ParseCommandLine("-AddErrorMessageXYZ").startSwitch, 2);  // first 16 characters
  EXPECT_EQ(ParseCommandLine(" -AddErrorMessage").startSwitch, 0);
  EXPECT_EQ(ParseCommandLine("-inhibitshutdown").startSwitch, 0);
}

}  // namespace
}  // namespace velnook

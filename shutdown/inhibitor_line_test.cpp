#include "shutdown/inhibitor_line.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(BlockingInhibitorLineTest, NamesBlockersOfTheActionsKindOnly) {
  const std::vector<Inhibitor> list = {
      {"sleep:shutdown", "Firefox", "Downloading", "block"},
      {"shutdown", "Updates", "Installing", "delay"},  // only delays: the request still goes
      {"idle:sleep", "Player", "", "block"},
      {"shutdownx", "Lookalike", "", "block"},  // not the word "shutdown"
      {"shutdown", "", "Unnamed", "block"}};
  EXPECT_EQ(BlockingInhibitorLine(list, PowerAction::Reboot),
            "Blocked by: Firefox (Downloading), an unnamed program (Unnamed)");
  EXPECT_EQ(BlockingInhibitorLine(list, PowerAction::Suspend),
            "Blocked by: Firefox (Downloading), Player");
  EXPECT_EQ(BlockingInhibitorLine({list[1]}, PowerAction::PowerOff), "");
}

}  // namespace
}  // namespace velnook

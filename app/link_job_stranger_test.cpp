// A stranger on another loopback address. Wine binds any loopback address
// but 127.0.0.1 to all interfaces, so its datagrams would leave from
// 127.0.0.1: this needs a system of its own, not the emulated one.
#include <gtest/gtest.h>

#include "app/link_job_fixture.h"

namespace velnook {
namespace {

TEST_F(LinkJobTest, AStrangerCanNeitherHoldTheSlaveOffNorTestIt) {
  StartSlave();
  NativeUdpSocket stranger{"127.0.0.2"};
  for (int i = 0; i < 4; ++i) Tick("<VNA100>", &stranger);
  for (int i = 1; i <= 3; ++i) {
    Tick("<VNA100>", &stranger);
    Tick("<VNT000>", &stranger);
    EXPECT_EQ(Counter(), "Not connected for the last " + std::to_string(i) + "s");
  }
  Tick("<VNC000>", &stranger);
  Tick("bad", &stranger);
  EXPECT_FALSE(State().TestMode);
  EXPECT_EQ(State().RunMode, 1);
  EXPECT_EQ(Counter(), "Not connected for the last 4s");
  EXPECT_EQ(State().LinkStatus, "Fail");
}

}  // namespace
}  // namespace velnook

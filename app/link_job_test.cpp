// Master and slave over real UDP sockets on the loopback network: the
// program on one side, a plain socket playing the other computer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/main_job_fixture.h"

namespace velnook {
namespace {

TEST_F(LinkJobTest, SlaveStaysConnectedThroughALostDatagramAndActsOnSilence) {
  StartSlave();
  EXPECT_EQ(Main().caption, "Velnook Slave");
  Ticks(8);
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(State().LinkStatus, "Fail");  // reset at the end of every second
  Silent();  // one datagram lost: the other half of that second still counts
  Tick();
  EXPECT_EQ(Counter(), "Connected");
  for (int i = 1; i <= 4; ++i) {
    Silent(2);
    EXPECT_EQ(Counter(), "Not connected for the last " + std::to_string(i) + "s");
  }
  Silent(2);
  EXPECT_EQ(Counter(), "The Computer Will Reboot In 2s");
}

TEST_F(LinkJobTest, AMasterHeardInTwoSecondsRunningEndsACountdownOfSilence) {
  StartSlave();
  State().settings.ShutTime = 30;
  Silent(16);
  ASSERT_EQ(State().RunMode, 2);
  Tick();
  Silent(3);  // one second heard, one not: the countdown goes on
  EXPECT_EQ(State().RunMode, 2);
  Ticks(4);
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(LogCount("Master   , Returned"), 1);
}

TEST_F(LinkJobTest, ResetAndTestFromTheMasterActAtOnce) {
  StartSlave();
  Ticks(8);
  Tick("<VNT000>", nullptr, 1);
  EXPECT_TRUE(State().TestMode);
  EXPECT_EQ(State().SecCount, 2);
  Tick("<VNC000>", nullptr, 1);
  EXPECT_FALSE(State().TestMode);
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(LogCount("*Reset    , Initialise"), 1);  // written while the test still ran
}

TEST_F(LinkJobTest, MalformedDatagramsShowAConnectionErrorAndCountAsSilence) {
  StartSlave();
  Ticks(7);
  for (const std::string& bad :
       {std::string("<VNA101>"), std::string(5000, '<'), std::string("<VN\0\xff\x80\x01>", 7)}) {
    Tick(bad);
    EXPECT_EQ(Counter(), "Not connected for the last 1s") << bad.size();
    Tick(bad);
    EXPECT_EQ(Counter(), "Connection Error");
    EXPECT_EQ(State().LinkStatus, "Error");
    Ticks(2);
    EXPECT_EQ(Counter(), "Connected");
  }
}

TEST_F(LinkJobTest, AHostNameIsResolvedWithoutBlockingAndThenTrusted) {
  StartLink({.CMain = 2, .DName = 2, .ShutType = 2, .IPAdd = "localhost"});
  for (int i = 0; i < 200 && State().PartnerAddresses.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    hs.loop.ProcessPendingEvents();
  }
  ASSERT_EQ(State().PartnerAddresses, std::vector<IPv4Address>{*ParseIPv4Address("127.0.0.1")});
  Ticks(8);
  EXPECT_EQ(Counter(), "Connected");
}

TEST_F(LinkJobTest, APortInUseAsksWhetherToEnd) {
  NativeUdpSocket holder{"127.0.0.1"};
  ASSERT_TRUE(holder.Bind(port));
  hs.messages.answers = {MsgAnswer::No};
  StartSlave();
  EXPECT_EQ(hs.messages.Only().title, "Velnook Slave Port Error");
  EXPECT_TRUE(State().SetupError);  // the monitor halts

  HeadlessServices other(dir.Path() + "/o");
  other.messages.answers = {MsgAnswer::Yes};
  Program ended(other.services, "-AllowMulti");
  EXPECT_THROW(ended.ProcessEntry(), ProgramEnded);
}

// When it sends is the monitor cycle's; what reaches the slave is this.
TEST_F(LinkJobTest, MasterSendsKeepAlivesAndCommands) {
  NativeUdpSocket slave{"127.0.0.1"};
  ASSERT_TRUE(slave.Bind(port));
  std::vector<std::string> heard;
  slave.SetArrivalHandler([&](const Datagram& d) { heard.push_back(d.bytes); });
  auto collect = [&] {
    slave.WaitReadable(20);
    while (slave.Poll() > 0) {
    }
  };
  StartLink({.CMain = 1});
  Seconds(1);  // the last second of the start delay announces the start
  collect();
  Main().OnClick("TestS");
  collect();
  Main().OnClick("Reset");
  collect();
  EXPECT_EQ(heard, (std::vector<std::string>{"<VNA100>", "<VNT000>", "<VNC000>"}));
}

}  // namespace
}  // namespace velnook

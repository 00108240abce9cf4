// Master and slave over real UDP sockets on the loopback network: the
// program on the headless backend on one side, a plain socket playing the
// other computer.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/link_job_fixture.h"

namespace velnook {
namespace {

TEST_F(LinkJobTest, SlaveStaysConnectedThroughALostDatagramAndActsOnSilence) {
  StartSlave();
  EXPECT_FALSE(State().SetupError);
  for (int i = 0; i < 4; ++i) Tick();  // the start delay
  ASSERT_EQ(State().RunMode, 1);
  for (int i = 0; i < 4; ++i) Tick();
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(State().LinkStatus, "Fail");  // reset at the end of every second
  // One datagram lost: the other half of that second still counts.
  Silent();
  Tick();
  EXPECT_EQ(Counter(), "Connected");
  for (int i = 1; i <= 4; ++i) {
    Silent();
    Silent();
    EXPECT_EQ(Counter(), "Not connected for the last " + std::to_string(i) + "s");
  }
  Silent();
  Silent();
  EXPECT_EQ(State().RunMode, 2);
  EXPECT_EQ(Counter(), "The Computer Will Reboot In 2s");
}

TEST_F(LinkJobTest, AMasterHeardInTwoSecondsRunningEndsACountdownOfSilence) {
  StartSlave();
  State().settings.ShutTime = 30;
  for (int i = 0; i < 16; ++i) Silent();
  ASSERT_EQ(State().RunMode, 2);
  Tick();
  Silent();
  Silent();  // one second heard, one not: the countdown goes on
  Silent();
  EXPECT_EQ(State().RunMode, 2);
  for (int i = 0; i < 4; ++i) Tick();
  EXPECT_EQ(State().RunMode, 0);
  const std::string log = dir.Read("Log/Velnook.log");
  EXPECT_NE(log.find("Master   , Returned"), std::string::npos);
  EXPECT_NE(log.find("Reset    , Reboot"), std::string::npos);
}

TEST_F(LinkJobTest, ResetAndTestFromTheMasterActAtOnce) {
  StartSlave();
  for (int i = 0; i < 8; ++i) Tick();
  ASSERT_EQ(State().RunMode, 1);
  ASSERT_TRUE(master.SendTo("127.0.0.1", port, "<VNT000>"));
  WaitForDelivery();
  hs.loop.Advance(1);
  EXPECT_TRUE(State().TestMode);
  EXPECT_EQ(program->main.caption, "Velnook Slave - Test Mode");
  EXPECT_EQ(State().SecCount, 2);

  ASSERT_TRUE(master.SendTo("127.0.0.1", port, "<VNC000>"));
  WaitForDelivery();
  hs.loop.Advance(1);
  EXPECT_FALSE(State().TestMode);
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(Counter(), "Program Activation In 2s");
  // Written while test mode still ran, so it carries the mark.
  EXPECT_NE(dir.Read("Log/Velnook.log").find("*Reset    , Initialise"), std::string::npos);
}

TEST_F(LinkJobTest, MalformedDatagramsShowAConnectionErrorAndCountAsSilence) {
  StartSlave();
  for (int i = 0; i < 7; ++i) Tick();
  ASSERT_EQ(State().TickPhase, 1);  // the next half second ends with the second's work
  for (const std::string& bad : {std::string("<VNA101>"), std::string(), std::string(5000, '<'),
                                 std::string("<VN\0\xff\x80\x01>", 7), std::string("<C0A000>")}) {
    Tick(bad);
    EXPECT_EQ(Counter(), "Not connected for the last 1s") << bad.size();
    EXPECT_EQ(State().LinkStatus, "Fail");
    Tick(bad);
    EXPECT_EQ(Counter(), "Connection Error");
    EXPECT_EQ(program->main.Get("Counter").foreColour, kOrange);
    EXPECT_TRUE(program->main.Get("Counter").bold);
    EXPECT_EQ(State().LinkStatus, "Error");
    Tick("<VNA100>");
    Tick("<VNA100>");
    EXPECT_EQ(Counter(), "Connected");
  }
}

TEST_F(LinkJobTest, AHostNameIsResolvedWithoutBlockingAndThenTrusted) {
  ConfigValues v{.CMain = 2, .DName = 2, .ShutType = 2};
  v.IPAdd = "localhost";
  Start(v);
  for (int i = 0; i < 200 && State().PartnerAddresses.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    hs.loop.ProcessPendingEvents();
  }
  ASSERT_EQ(State().PartnerAddresses, std::vector<IPv4Address>{*ParseIPv4Address("127.0.0.1")});
  for (int i = 0; i < 8; ++i) Tick();
  EXPECT_EQ(Counter(), "Connected");
}

TEST_F(LinkJobTest, APortInUseAsksWhetherToEnd) {
  NativeUdpSocket holder{"127.0.0.1"};
  ASSERT_TRUE(holder.Bind(port));
  hs.messages.answers = {MsgAnswer::No};
  StartSlave();
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  const auto& m = hs.messages.shown[0];
  EXPECT_EQ(m.title, "Velnook Slave Port Error");
  EXPECT_EQ(m.icon, MsgIcon::Exclamation);
  EXPECT_EQ(m.buttons, MsgButtons::YesNo);
  EXPECT_EQ(m.text, "The RX Port " + std::to_string(port) +
                        " Is Already In Use\r\nThis Error Must Be Resolved Before\r\n"
                        "You Can Use Velnook.\r\nUse The Configuration Screen\r\n"
                        "To Change The RX Port.\r\nDo You Want To End The Program?");
  EXPECT_TRUE(State().SetupError);
  EXPECT_EQ(program->main.Get("Title").caption, "Click Configure To Set Up Velnook");
  hs.loop.Advance(20000);
  EXPECT_EQ(State().RunMode, 0);  // halted

  HeadlessServices other(dir.Path() + "/o");
  other.messages.answers = {MsgAnswer::Yes};
  Program ended(other.services, "-AllowMulti");
  EXPECT_THROW(ended.ProcessEntry(), ProgramEnded);
}

TEST_F(LinkJobTest, MasterSendsKeepAlivesAndCommandsButNotWhileCountingDown) {
  NativeUdpSocket slave{"127.0.0.1"};
  ASSERT_TRUE(slave.Bind(port));
  std::vector<std::string> heard;
  slave.SetArrivalHandler([&](const Datagram& d) { heard.push_back(d.bytes); });
  // The master's sends go out inside the half second; give them a moment.
  auto settle = [&] {
    slave.WaitReadable(20);
    slave.Poll();
  };
  auto halfSecond = [&] {
    hs.loop.Advance(500);
    settle();
  };
  Start({.CMain = 1});
  halfSecond();
  halfSecond();  // the last second of the start delay announces the start
  EXPECT_EQ(heard, (std::vector<std::string>{"<VNA100>"}));
  halfSecond();
  halfSecond();  // activation, then keep-alives twice a second
  EXPECT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard.back(), "<VNA100>");
  heard.clear();

  program->main.OnClick("TestS");
  settle();
  EXPECT_EQ(heard, std::vector<std::string>{"<VNT000>"});
  program->main.OnClick("Reset");
  settle();
  EXPECT_EQ(heard.back(), "<VNC000>");

  for (int i = 0; i < 14; ++i) halfSecond();  // 2 s delay, 5 s below the level
  ASSERT_EQ(State().RunMode, 2);
  heard.clear();
  halfSecond();
  halfSecond();
  EXPECT_TRUE(heard.empty());
}

}  // namespace
}  // namespace velnook

// Master and slave over real UDP sockets on the loopback network: the
// program on the headless backend on one side, a plain socket playing the
// other computer.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/program.h"
#include "config/config_file.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

class LinkJobTest : public ::testing::Test {
 protected:
  LinkJobTest() : hs(dir.Path()), port(FreeLoopbackPort()) {}

  void Start(ConfigValues v) {
    dir.Write("dls/.keep", "");
    dir.Write("Log/.keep", "");
    hs.files.CreateFolder("Data");
    v.DPath = "dls\\";
    v.Port1 = port;
    v.StartMin = 1;
    v.AvTime = 1;
    v.DownDelay = 5;
    v.ShutTime = 2;
    if (v.IPAdd.empty()) v.IPAdd = "127.0.0.1";
    ASSERT_TRUE(WriteConfigFile(hs.files, v, {2026, 12, 5, 3, 0, 38}, LocaleInfo{}));
    program = std::make_unique<Program>(hs.services, "");
    program->ProcessEntry();
  }
  void StartSlave() { Start({.CMain = 2, .ShutType = 2}); }
  // Half a second in which the master sends msg.
  void Tick(const std::string& msg = "<VNA100>", PosixUdpSocket* from = nullptr) {
    ASSERT_TRUE((from ? *from : master).SendTo("127.0.0.1", port, msg));
    WaitForDelivery();
    hs.loop.Advance(500);
  }
  // Half a second in which nothing arrives.
  void Silent() { hs.loop.Advance(500); }
  // Loopback delivery is not instantaneous everywhere: wait until the
  // datagram has landed on the receiving socket.
  void WaitForDelivery() { WaitReadable(hs.udp.Descriptor()); }
  static void WaitReadable(int fd) {
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, 2000);
  }
  std::string Counter() { return program->main.Get("Counter").caption; }
  SharedState& State() { return program->state; }

  TempWorkDir dir;
  HeadlessServices hs;
  int port;
  PosixUdpSocket master{"127.0.0.1"};
  std::unique_ptr<Program> program;
};

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

TEST_F(LinkJobTest, AStrangerCanNeitherHoldTheSlaveOffNorTestIt) {
  StartSlave();
  PosixUdpSocket stranger{"127.0.0.2"};
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

TEST_F(LinkJobTest, AHostNameIsResolvedWithoutBlockingAndThenTrusted) {
  ConfigValues v{.CMain = 2, .DName = 2, .ShutType = 2};
  v.IPAdd = "localhost";
  Start(v);
  for (int i = 0; i < 200 && State().PartnerAddresses.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    hs.loop.ProcessPendingEvents();
  }
  ASSERT_EQ(State().PartnerAddresses, std::vector<std::string>{"127.0.0.1"});
  for (int i = 0; i < 8; ++i) Tick();
  EXPECT_EQ(Counter(), "Connected");
}

TEST_F(LinkJobTest, APortInUseAsksWhetherToEnd) {
  PosixUdpSocket holder{"127.0.0.1"};
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
  PosixUdpSocket slave{"127.0.0.1"};
  ASSERT_TRUE(slave.Bind(port));
  std::vector<std::string> heard;
  slave.SetArrivalHandler([&](const Datagram& d) { heard.push_back(d.bytes); });
  // The master's sends go out inside the half second; give them a moment.
  auto settle = [&] {
    pollfd p{slave.Descriptor(), POLLIN, 0};
    ::poll(&p, 1, 20);
    slave.Poll();
  };
  auto halfSecond = [&] {
    hs.loop.Advance(500);
    settle();
  };
  Start({.CMain = 1});
  halfSecond();
  halfSecond();  // the last second of the start delay announces the start
  EXPECT_EQ(heard, (std::vector<std::string>{"<C0A000>"}));
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

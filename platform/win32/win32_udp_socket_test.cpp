#include "platform/win32/win32_udp_socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

class Win32UdpSocketTest : public ::testing::Test {
 protected:
  Win32UdpSocketTest() : port(FreeLoopbackPort()) {
    receiver.SetArrivalHandler([this](const Datagram& d) { heard.push_back(d); });
  }
  // Waits for a datagram, then hands over all that wait.
  int Deliver() {
    receiver.WaitReadable(2000);
    return receiver.Poll();
  }
  int port;
  Win32UdpSocket receiver{"127.0.0.1"};
  Win32UdpSocket sender{"127.0.0.1"};
  std::vector<Datagram> heard;
};

TEST_F(Win32UdpSocketTest, DatagramsArriveWholeWithTheirSender) {
  ASSERT_TRUE(receiver.Bind(port));
  EXPECT_EQ(receiver.Poll(), 0);  // non-blocking: nothing waits yet
  std::string binary("\0\x01\xff<VNA100>", 11);
  ASSERT_TRUE(sender.SendTo("127.0.0.1", port, "<VNA100>"));
  ASSERT_TRUE(sender.SendTo("127.0.0.1", port, binary));
  const std::string large(60000, 'z');
  ASSERT_TRUE(sender.SendTo("127.0.0.1", port, large));
  while (heard.size() < 3 && Deliver() > 0) {
  }
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].bytes, "<VNA100>");
  EXPECT_EQ(heard[0].sender, "127.0.0.1");
  EXPECT_EQ(heard[1].bytes, binary);
  EXPECT_EQ(heard[2].bytes, large);
}

TEST_F(Win32UdpSocketTest, APortInUseIsRefusedAndFreedOnCloseAndBadAddressesAreNotSent) {
  EXPECT_FALSE(receiver.WaitReadable(0));  // nothing bound
  ASSERT_TRUE(receiver.Bind(port));
  Win32UdpSocket other{"127.0.0.1"};
  EXPECT_FALSE(other.Bind(port));
  receiver.Close();
  receiver.Close();  // harmless twice
  EXPECT_TRUE(other.Bind(port));
  EXPECT_FALSE(receiver.Bind(0));
  EXPECT_FALSE(receiver.Bind(70000));
  EXPECT_FALSE(sender.SendTo("not an address", port, "x"));
  EXPECT_FALSE(sender.SendTo("127.0.0.1", 0, "x"));
  EXPECT_FALSE(sender.SendTo("127.0.0.1", 65536, "x"));
}

TEST_F(Win32UdpSocketTest, AHandlerThatPollsAgainIsNotReentered) {
  ASSERT_TRUE(receiver.Bind(port));
  int depth = 0, deepest = 0;
  receiver.SetArrivalHandler([&](const Datagram&) {
    deepest = std::max(deepest, ++depth);
    receiver.Poll();
    --depth;
  });
  ASSERT_TRUE(sender.SendTo("127.0.0.1", port, "a"));
  ASSERT_TRUE(sender.SendTo("127.0.0.1", port, "b"));
  receiver.WaitReadable(2000);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(receiver.Poll(), 2);
  EXPECT_EQ(deepest, 1);
}

TEST_F(Win32UdpSocketTest, LookupsGiveDottedAddresses) {
  std::vector<std::vector<std::string>> answers;
  receiver.Resolve("localhost", [&](std::vector<std::string> a) { answers.push_back(a); });
  receiver.Resolve("127.0.0.1", [&](std::vector<std::string> a) { answers.push_back(a); });
  ASSERT_EQ(answers.size(), 2u);
  for (auto& a : answers) EXPECT_EQ(a, std::vector<std::string>{"127.0.0.1"});
}

}  // namespace
}  // namespace velnook

#include "platform/win32/win32_udp_socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

// Whole datagrams with their sender, handed over without blocking and
// without entering a handler that polls again; a port in use is refused
// until its holder closes it.
TEST(Win32UdpSocket, DatagramsArriveWholeAndAPortInUseIsRefusedUntilClosed) {
  const int port = FreeLoopbackPort();
  Win32UdpSocket receiver{"127.0.0.1"}, sender{"127.0.0.1"}, other{"127.0.0.1"};
  EXPECT_FALSE(receiver.WaitReadable(0));  // nothing bound
  ASSERT_TRUE(receiver.Bind(port));
  EXPECT_FALSE(other.Bind(port));
  EXPECT_EQ(receiver.Poll(), 0);
  std::vector<Datagram> heard;
  int depth = 0, deepest = 0;
  receiver.SetArrivalHandler([&](const Datagram& d) {
    heard.push_back(d);
    deepest = std::max(deepest, ++depth);
    receiver.Poll();
    --depth;
  });
  const std::string binary("\0\x01\xff<VNA100>", 11), large(60000, 'z');
  for (const std::string& bytes : {std::string("<VNA100>"), binary, large})
    ASSERT_TRUE(sender.SendTo("127.0.0.1", port, bytes));
  for (int i = 0; i < 100 && heard.size() < 3; ++i) {
    receiver.WaitReadable(2000);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    receiver.Poll();
  }
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].bytes, "<VNA100>");
  EXPECT_EQ(heard[0].sender, "127.0.0.1");
  EXPECT_EQ(heard[1].bytes, binary);
  EXPECT_EQ(heard[2].bytes, large);
  EXPECT_EQ(deepest, 1);
  receiver.Close();
  receiver.Close();  // harmless twice
  EXPECT_TRUE(other.Bind(port));
  EXPECT_FALSE(sender.SendTo("not an address", port, "x"));
}

}  // namespace
}  // namespace velnook

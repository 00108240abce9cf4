// Who the partner is: an address however it is written, a host name looked
// up again as the network changes, and strangers on other loopback
// addresses. Wine binds any loopback address but 127.0.0.1 to all
// interfaces and sends from 127.0.0.1, so this needs a system of its own.
#include <gtest/gtest.h>

#include "app/link_job_fixture.h"
#include "link/pair_key.h"
#include "link/partner_lookup.h"
#include "link/signed_message.h"

namespace velnook {
namespace {

// The link's socket with a name server that the test answers for.
class ScriptedNameServer : public UdpSocket {
 public:
  explicit ScriptedNameServer(UdpSocket& real) : real_(real) {}
  void Close() override { real_.Close(); }
  bool Bind(int port) override { return real_.Bind(port); }
  bool SendTo(const std::string& address, int port, const std::string& bytes) override {
    return real_.SendTo(address, port, bytes);
  }
  void SetArrivalHandler(std::function<void(const Datagram&)> onArrival) override {
    real_.SetArrivalHandler(std::move(onArrival));
  }
  void Resolve(const std::string& name,
               std::function<void(std::vector<std::string>)> done) override {
    asked.push_back(name);
    waiting.push_back(std::move(done));
  }
  // Answers every lookup that waits, as the window thread would hear it.
  void Answer(const std::vector<std::string>& addresses) {
    auto answering = std::move(waiting);
    waiting.clear();
    for (auto& done : answering) done(addresses);
  }

  std::vector<std::string> asked;
  std::vector<std::function<void(std::vector<std::string>)>> waiting;

 private:
  UdpSocket& real_;
};

// A plain socket on a loopback address of its own that listens on the port.
struct Listener {
  Listener(const std::string& address, int port) : socket(address) {
    bound = socket.Bind(port);
    socket.SetArrivalHandler([this](const Datagram& d) { heard.push_back(d.bytes); });
  }
  int Collect() {
    socket.WaitReadable(20);
    while (socket.Poll() > 0) {
    }
    const int n = static_cast<int>(heard.size());
    heard.clear();
    return n;
  }
  NativeUdpSocket socket;
  bool bound = false;
  std::vector<std::string> heard;
};

class LinkPartnerTest : public LinkJobTest {
 protected:
  LinkPartnerTest() : names(hs.udp) { udp = &names; }
  // Time passes in half seconds, each with what the master sends.
  void Ticks(int n, NativeUdpSocket* from) {
    for (int i = 0; i < n; ++i) Tick("<VNA100>", from);
  }
  int LogCount(const std::string& text) {
    const std::string log = dir.Read("Log/Velnook.log");
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }
  ScriptedNameServer names;
};

TEST_F(LinkPartnerTest, LeadingZerosNameTheSameComputerBothWays) {
  ConfigValues v{.CMain = 2, .ShutType = 2};
  v.IPAdd = "127.000.000.001";
  Start(v);
  Ticks(8, nullptr);
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(LogCount("Stranger"), 0);

  program.reset();
  hs.udp.Close();
  Listener slave("127.0.0.1", port);
  ASSERT_TRUE(slave.bound);
  ConfigValues m{.CMain = 1};
  m.IPAdd = "127.000.000.001";
  Start(m);
  for (int i = 0; i < 4; ++i) hs.loop.Advance(500);
  EXPECT_GE(slave.Collect(), 2);
}

TEST_F(LinkPartnerTest, ANameResolvingLateOrMovingIsFollowedLongBeforeTheDelayRunsOut) {
  NativeUdpSocket first{"127.0.0.2"}, second{"127.0.0.3"};
  ConfigValues v{.CMain = 2, .DName = 2, .ShutType = 2};
  v.IPAdd = "partner.example";
  Start(v, 20);
  // The name server answers every lookup with what |now| holds then.
  std::vector<std::string> now;
  auto run = [&](int halfSeconds, NativeUdpSocket* from) {
    for (int i = 0; i < halfSeconds; ++i) {
      if (i == 6) now = {"127.0.0.2"};  // the name resolves 3 s after start
      names.Answer(now);
      Tick("<VNA100>", from);
      ASSERT_LT(State().SecCount, 12) << "half second " << i;
    }
  };
  run(24, &first);
  EXPECT_EQ(Counter(), "Connected");
  run(PartnerLookup::kRefreshMs / 1000, &first);  // long connected: few lookups
  EXPECT_LT(names.asked.size(), 8u);
  now = {"127.0.0.3"};  // the master moves, and the name follows it
  run(24, &second);
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(State().RunMode, 1);
}

TEST_F(LinkPartnerTest, AMasterSendsToWhatTheNameResolvesToNow) {
  Listener before("127.0.0.2", port), after("127.0.0.3", port);
  ASSERT_TRUE(before.bound && after.bound);
  ConfigValues v{.CMain = 1, .DName = 2};
  v.IPAdd = "partner.example";
  Start(v, 600);
  names.Answer({});
  for (int i = 0; i < 8; ++i) hs.loop.Advance(500);
  EXPECT_EQ(before.Collect() + after.Collect(), 0);
  hs.loop.Advance(PartnerLookup::kRetryMs);
  names.Answer({});
  EXPECT_EQ(LogCount("Name: partner.example"), 1);  // said once, not at every try

  hs.loop.Advance(PartnerLookup::kRetryMs);
  names.Answer({"127.0.0.2"});
  hs.loop.Advance(1000);
  EXPECT_GE(before.Collect(), 2);

  hs.loop.Advance(PartnerLookup::kRefreshMs);
  names.Answer({"127.0.0.3"});
  before.Collect();
  hs.loop.Advance(1000);
  EXPECT_EQ(before.Collect(), 0);
  EXPECT_GE(after.Collect(), 2);
}

TEST_F(LinkPartnerTest, AnAnswerForEarlierSettingsIsDropped) {
  ConfigValues v{.CMain = 2, .DName = 2, .ShutType = 2};
  v.IPAdd = "old.example";
  Start(v, 600);
  auto late = std::move(names.waiting);
  names.waiting.clear();
  ConfigValues now{.CMain = 2, .ShutType = 2};
  now.IPAdd = "127.0.0.2";
  now.Port1 = port;
  now.DPath = "dls\\";
  ASSERT_TRUE(WriteTestSettings(hs.files, now));
  program->config.Open();
  State().ConfigChanged = true;
  program->config.OnCloseRequest();  // reads the settings again
  ASSERT_EQ(late.size(), 1u);
  late.front()({"127.0.0.5"});
  EXPECT_EQ(State().PartnerAddresses, std::vector<IPv4Address>{*ParseIPv4Address("127.0.0.2")});
}

TEST_F(LinkPartnerTest, EveryStrangerIsLoggedOnceAndOneSendingMessagesIsNamed) {
  Start({.CMain = 2, .ShutType = 2}, 600);
  std::vector<std::unique_ptr<NativeUdpSocket>> strangers;
  for (int i = 2; i < 20; ++i)
    strangers.push_back(std::make_unique<NativeUdpSocket>("127.0.0." + std::to_string(i)));
  for (auto& stranger : strangers) Ticks(2, stranger.get());
  Ticks(2, strangers[1].get());
  EXPECT_EQ(program->main.caption,
            "Velnook Slave - Velnook messages from 127.0.0.3 ignored: the partner is 127.0.0.1");
  const std::string log = dir.Read("Log/Velnook.log");
  const size_t at = log.find("Stranger");
  ASSERT_NE(at, std::string::npos);
  // The columns stay where every other line has them; the address follows.
  const size_t start = at - 21;
  const std::string line = log.substr(start, log.find("\r\n", at) - start);
  EXPECT_EQ(line.substr(18), ",  Stranger , Ignored   , Count:   2, From: 127.0.0.2");
  EXPECT_EQ(LogCount("From: 127.0.0.3"), 1);
  EXPECT_EQ(LogCount("From: 127.0.0.17"), 1);
  EXPECT_EQ(LogCount("From: 127.0.0.18"), 0);
  EXPECT_EQ(LogCount("More strangers are not logged"), 1);
  EXPECT_EQ(LogCount("Stranger"), 17);
  Ticks(2, nullptr);
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(program->main.caption, "Velnook Slave");
}

TEST_F(LinkPartnerTest, AStrangerCanNeitherHoldTheSlaveOffNorTestIt) {
  StartSlave();
  NativeUdpSocket stranger{"127.0.0.2"};
  Ticks(4, &stranger);
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

// With a pair key: the real master signs from an address the slave does
// not name, while a forger uses the partner's address.
TEST_F(LinkPartnerTest, WithAKeyOnlyFreshSignedMessagesCountFromWherever) {
  const std::string key(kPairKeyBytes, 'k');
  dir.Write("Data/.keep", "");
  ASSERT_TRUE(hs.files.ReplacePrivateFile(kPairKeyFile, PairKeyText(key)));
  NativeUdpSocket signer{"127.0.0.2"};
  std::uint64_t counter = 1000;
  auto sign = [&](const char* msg, std::uint64_t c, const std::string& k) {
    return SignLinkMessage(msg, c, k, hs.auth);
  };
  auto keepAlive = [&] { Tick(sign("<VNA100>", ++counter, key), &signer); };
  StartSlave();
  for (int i = 0; i < 8; ++i) keepAlive();
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(program->main.caption, "Velnook Slave - Signed Link");

  const std::string forgeries[] = {"<VNT000>",
                                   "<VNC000>",
                                   sign("<VNT000>", counter + 50, std::string(kPairKeyBytes, 'x')),
                                   sign("<VNT000>", 5, key),  // replayed: older than what was heard
                                   sign("<VNC000>", counter, key),
                                   "<VNA101>"};
  for (const std::string& forged : forgeries) {
    Tick(forged);
    keepAlive();
    EXPECT_EQ(Counter(), "Connected") << forged;
  }
  EXPECT_FALSE(State().TestMode);
  EXPECT_EQ(State().RunMode, 1);
  EXPECT_EQ(LogCount("Reset"), 0);

  // The partner's address says only unsigned things: the key does not match.
  for (int i = 0; i < 8; ++i) Tick("<VNA100>");
  EXPECT_EQ(Counter().rfind("Not connected", 0), 0u) << Counter();
  EXPECT_EQ(program->main.caption, "Velnook Slave - the partner's key does not match");
  EXPECT_EQ(LogCount("Mismatch"), 1);
  keepAlive();
  keepAlive();
  EXPECT_EQ(program->main.caption, "Velnook Slave - Signed Link");
}

}  // namespace
}  // namespace velnook

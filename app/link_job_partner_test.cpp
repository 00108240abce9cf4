// Who the partner is: an address however it is written, a host name looked
// up again as the network changes, and strangers on other loopback
// addresses. Wine binds any loopback address but 127.0.0.1 to all
// interfaces and sends from 127.0.0.1, so this needs a system of its own.
#include <gtest/gtest.h>

#include "app/main_job_fixture.h"
#include "link/pair_key.h"
#include "link/partner_lookup.h"
#include "link/signed_message.h"

namespace velnook {
namespace {

// The link's socket with a name server that the test answers for.
struct ScriptedNameServer : NativeUdpSocket {
  ScriptedNameServer() : NativeUdpSocket("127.0.0.1") {}
  void Resolve(const std::string&, std::function<void(std::vector<std::string>)> done) override {
    ++asked;
    waiting.push_back(std::move(done));
  }
  void Answer(const std::vector<std::string>& addresses) {
    for (auto& done : std::exchange(waiting, {})) done(addresses);
  }
  int asked = 0;
  std::vector<std::function<void(std::vector<std::string>)>> waiting;
};

class LinkPartnerTest : public LinkJobTest {
 protected:
  LinkPartnerTest() {
    services = std::make_unique<Services>(Replaced(hs.services, {.udp = &names}));
    hs.loop.pollInput = [this] { names.Poll(); };
    link = &names;
  }
  ~LinkPartnerTest() override { program.reset(); }
  ScriptedNameServer names;
};

TEST_F(LinkPartnerTest, ANameResolvingLateOrMovingIsFollowedLongBeforeTheDelayRunsOut) {
  NativeUdpSocket first{"127.0.0.2"}, second{"127.0.0.3"};
  StartLink({.CMain = 2, .DName = 2, .ShutType = 2, .IPAdd = "partner.example"}, 20);
  std::vector<std::string> now;  // what the name server answers
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
  EXPECT_LT(names.asked, 8);
  now = {"127.0.0.3"};  // the master moves, and the name follows it
  run(24, &second);
  EXPECT_EQ(Counter(), "Connected");
}

TEST_F(LinkPartnerTest, AnAnswerAndThePortOfEarlierSettingsAreLetGo) {
  StartLink({.CMain = 2, .DName = 2, .ShutType = 2, .IPAdd = "old.example"}, 600);
  for (int i = 0; i < 2; ++i) {
    names.Answer({});  // a name that does not resolve is said once, not at every try
    hs.loop.Advance(PartnerLookup::kRetryMs + 1000);
  }
  EXPECT_EQ(LogCount("Name: old.example"), 1);
  auto late = std::exchange(names.waiting, {});
  ASSERT_TRUE(WriteTestSettings(
      hs.files,
      {.CMain = 1, .Port1 = double(port), .ShutType = 2, .IPAdd = "127.0.0.2", .DPath = "dls\\"}));
  program->config.Open();
  State().ConfigChanged = true;
  program->config.OnCloseRequest();  // reads the settings again
  ASSERT_EQ(late.size(), 1u);
  late.front()({"127.0.0.5"});
  EXPECT_EQ(State().PartnerAddresses, std::vector<IPv4Address>{*ParseIPv4Address("127.0.0.2")});
  NativeUdpSocket next{"127.0.0.1"};
  EXPECT_TRUE(next.Bind(port));  // a master listens on no port
}

TEST_F(LinkPartnerTest, StrangersAreLoggedOnceAndCanNeitherHoldTheSlaveOffNorCommandIt) {
  StartLink({.CMain = 2, .ShutType = 2}, 600);
  std::vector<std::unique_ptr<NativeUdpSocket>> strangers;
  for (int i = 2; i < 20; ++i)
    strangers.push_back(std::make_unique<NativeUdpSocket>("127.0.0." + std::to_string(i)));
  for (auto& stranger : strangers) Ticks(2, stranger.get());
  Tick("<VNT000>", strangers[1].get());
  Tick("<VNC000>", strangers[1].get());
  EXPECT_EQ(Main().caption,
            "Velnook Slave - Velnook messages from 127.0.0.3 ignored: the partner is 127.0.0.1");
  EXPECT_FALSE(State().TestMode);
  EXPECT_EQ(Counter().rfind("Not connected", 0), 0u) << Counter();
  EXPECT_EQ(LogCount("Reset"), 0);
  // The columns stay where every other line has them; the address follows.
  EXPECT_EQ(LogCount(",  Stranger , Ignored   , Count:   2, From: 127.0.0.2\r\n"), 1);
  EXPECT_EQ(LogCount("From: 127.0.0.17"), 1);
  EXPECT_EQ(LogCount("From: 127.0.0.18"), 0);
  EXPECT_EQ(LogCount("More strangers are not logged"), 1);
  Ticks(2);
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(Main().caption, "Velnook Slave");
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
  EXPECT_EQ(Main().caption, "Velnook Slave - Signed Link");

  const std::string forgeries[] = {"<VNT000>",
                                   sign("<VNT000>", counter + 50, std::string(kPairKeyBytes, 'x')),
                                   sign("<VNT000>", 5, key),  // replayed: older than what was heard
                                   sign("<VNC000>", counter, key)};
  for (const std::string& forged : forgeries) {
    Tick(forged);
    keepAlive();
  }
  EXPECT_FALSE(State().TestMode);
  EXPECT_EQ(LogCount("Reset"), 0);

  // The partner's address says only unsigned things: the key does not match.
  Ticks(8);
  EXPECT_EQ(Counter().rfind("Not connected", 0), 0u) << Counter();
  EXPECT_EQ(Main().caption, "Velnook Slave - the partner's key does not match");
  EXPECT_EQ(LogCount("Mismatch"), 1);
  keepAlive();
  keepAlive();
  EXPECT_EQ(Main().caption, "Velnook Slave - Signed Link");
}

}  // namespace
}  // namespace velnook

#include "config/settings_check.h"

#include <gtest/gtest.h>

#include <functional>

namespace velnook {
namespace {

Settings Defaults() {
  Settings s;
  s.CMain = 1;
  s.DName = 1;
  s.Port1 = 10001;
  s.AvTime = 5;
  s.DownDelay = 300;
  s.DownLevel = 2;
  s.DPath = "%USERPROFILE%\\Downloads\\";
  s.LogLevel = 2;
  s.LogName = "Velnook.log";
  s.LogPath = "Log\\";
  s.RunOnTop = 1;
  s.StartDelay = 2;
  s.StartMin = 2;
  s.ShutTime = 60;
  s.ShutType = 1;
  return s;
}

struct Limit {
  int rule;
  std::function<void(Settings&, int)> set;
  int low, high;
};

TEST(CheckSettingsRanges, EachNumericRuleHoldsOnBothSidesOfItsLimits) {
  const Limit limits[] = {
      {1, [](Settings& s, int v) { s.AvTime = static_cast<std::int16_t>(v); }, 1, 30},
      {2, [](Settings& s, int v) { s.DName = static_cast<std::int16_t>(v); }, 1, 2},
      {6, [](Settings& s, int v) { s.DownLevel = static_cast<std::int16_t>(v); }, 2, 50},
      {7, [](Settings& s, int v) { s.DownDelay = static_cast<std::int16_t>(v); }, 5, 600},
      {8, [](Settings& s, int v) { s.LogLevel = static_cast<std::int16_t>(v); }, 1, 3},
      {14, [](Settings& s, int v) { s.Port1 = v; }, 1024, 65535},
      {15, [](Settings& s, int v) { s.RunOnTop = static_cast<std::int16_t>(v); }, 1, 2},
      {16, [](Settings& s, int v) { s.ShutTime = static_cast<std::int16_t>(v); }, 2, 600},
      {17, [](Settings& s, int v) { s.StartMin = static_cast<std::int16_t>(v); }, 1, 2},
      {18, [](Settings& s, int v) { s.ShutType = static_cast<std::int16_t>(v); }, 1, 6},
      {19, [](Settings& s, int v) { s.StartDelay = static_cast<std::int16_t>(v); }, 1, 3600},
  };
  for (const Limit& l : limits) {
    for (int v : {l.low, l.high}) {
      Settings s = Defaults();
      l.set(s, v);
      // ShutType 4 on a master needs a partner; give it one for this sweep.
      s.IPAdd = s.DName == 1 ? "192.168.1.20" : "partner.example";
      EXPECT_FALSE(CheckSettingsRanges(s).failedRule) << "rule " << l.rule << " value " << v;
    }
    for (int v : {l.low - 1, l.high + 1}) {
      Settings s = Defaults();
      l.set(s, v);
      EXPECT_EQ(CheckSettingsRanges(s).failedRule, l.rule) << "value " << v;
    }
  }
  Settings s = Defaults();
  s.CMain = 3;
  EXPECT_EQ(CheckSettingsRanges(s).failedRule, 5);
}

TEST(CheckSettingsRanges, TextLengthsAndTrailingBackslash) {
  auto failed = [](const std::function<void(Settings&)>& f) {
    Settings s = Defaults();
    f(s);
    return CheckSettingsRanges(s).failedRule.value_or(0);
  };
  EXPECT_EQ(failed([](Settings& s) { s.LogName = "1234567"; }), 9);
  EXPECT_EQ(failed([](Settings& s) { s.LogName = "12345678"; }), 0);
  EXPECT_EQ(failed([](Settings& s) { s.LogName = std::string(20, 'x'); }), 0);
  EXPECT_EQ(failed([](Settings& s) { s.LogName = std::string(21, 'x'); }), 9);
  EXPECT_EQ(failed([](Settings& s) { s.LogPath = ""; }), 10);
  EXPECT_EQ(failed([](Settings& s) { s.LogPath = "L\\"; }), 0);
  EXPECT_EQ(failed([](Settings& s) { s.LogPath = "Log"; }), 12);
  EXPECT_EQ(failed([](Settings& s) { s.LogPath = std::string(100, 'x') + "\\"; }), 10);
  EXPECT_EQ(failed([](Settings& s) { s.DPath = "C:\\"; }), 11);
  EXPECT_EQ(failed([](Settings& s) { s.DPath = "D:\\x\\"; }), 0);
  EXPECT_EQ(failed([](Settings& s) { s.DPath = "D:\\xy"; }), 13);
}

TEST(CheckSettingsRanges, PartnerAddressRules) {
  auto check = [](int cmain, int dname, const std::string& ip, int shutType) {
    Settings s = Defaults();
    s.CMain = static_cast<std::int16_t>(cmain);
    s.DName = static_cast<std::int16_t>(dname);
    s.IPAdd = ip;
    s.ShutType = static_cast<std::int16_t>(shutType);
    return CheckSettingsRanges(s);
  };
  EXPECT_EQ(check(1, 1, "not an address", 1).failedRule, 3);
  EXPECT_FALSE(check(1, 1, "", 1).failedRule);
  EXPECT_EQ(check(1, 2, "10.1.1.1", 1).failedRule, 4);
  EXPECT_EQ(check(1, 2, std::string(101, 'a'), 1).failedRule, 4);
  EXPECT_FALSE(check(1, 2, "", 1).failedRule);
  EXPECT_FALSE(check(1, 1, "192.168.1.20", 4).failedRule);
  EXPECT_FALSE(check(1, 1, "192.168.0.20", 4).failedRule);  // the middle 0 is accepted
  EXPECT_EQ(check(1, 1, "", 4).failedRule, 20);
  EXPECT_EQ(check(1, 2, "", 4).failedRule, 21);
  EXPECT_EQ(check(2, 1, "192.168.1.20", 4).failedRule, 22);

  auto slave = check(2, 1, "", 1);
  EXPECT_FALSE(slave.failedRule);
  EXPECT_TRUE(slave.partnerMissing);
  EXPECT_TRUE(check(2, 2, "", 1).partnerMissing);
  EXPECT_FALSE(check(2, 1, "127.0.0.1", 1).partnerMissing);
  EXPECT_FALSE(check(2, 2, "partner.example", 1).partnerMissing);
  EXPECT_FALSE(check(1, 1, "", 1).partnerMissing);
}

}  // namespace
}  // namespace velnook

#include "config/load_settings.h"

#include <gtest/gtest.h>

#include "config/settings_check.h"
#include "config/settings_test_support.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/native_text.h"

namespace velnook {
namespace {

TEST(CheckSettingsRanges, EachNumericRuleHoldsOnBothSidesOfItsLimits) {
  struct Limit {
    double ConfigValues::*field;
    int low, high, rule;
  };
  const Limit limits[] = {
      {&ConfigValues::AvTime, 1, 30, 1},       {&ConfigValues::DName, 1, 2, 2},
      {&ConfigValues::CMain, 1, 2, 5},         {&ConfigValues::DownLevel, 2, 50, 6},
      {&ConfigValues::DownDelay, 5, 600, 7},   {&ConfigValues::LogLevel, 1, 3, 8},
      {&ConfigValues::Port1, 1024, 65535, 14}, {&ConfigValues::RunOnTop, 1, 2, 15},
      {&ConfigValues::ShutTime, 2, 600, 16},   {&ConfigValues::StartMin, 1, 2, 17},
      {&ConfigValues::ShutType, 1, 6, 18},     {&ConfigValues::StartDelay, 1, 3600, 19},
  };
  for (const Limit& l : limits) {
    for (int v : {l.low, l.high, l.low - 1, l.high + 1}) {
      ConfigValues values;
      values.*l.field = v;
      // ShutType 4 on a master needs a partner, DName 2 a name, CMain 2 an address.
      values.IPAdd = values.DName == 2 ? "partner.example" : "192.168.1.20";
      const bool inside = v >= l.low && v <= l.high;
      EXPECT_EQ(CheckSettingsRanges(SettingsOf(values)).failedRule.value_or(0), inside ? 0 : l.rule)
          << "rule " << l.rule << " value " << v;
    }
  }
  // A slave without a usable partner loads, marked.
  EXPECT_TRUE(CheckSettingsRanges(SettingsOf({.CMain = 2})).partnerMissing);
  EXPECT_TRUE(CheckSettingsRanges(SettingsOf({.CMain = 2, .DName = 2})).partnerMissing);
  EXPECT_FALSE(CheckSettingsRanges(SettingsOf({.CMain = 2, .IPAdd = "127.0.0.1"})).partnerMissing);
  EXPECT_FALSE(CheckSettingsRanges(SettingsOf({})).partnerMissing);
}

class LoadSettingsTest : public ::testing::Test {
 protected:
  // Loads; returns whether the program ended and whether its icon went first.
  std::optional<bool> LoadEnds() {
    hs.windows.AddTrayIcon("Velnook", [] {});
    try {
      LoadSettings(state, hs.services);
    } catch (const ProgramEnded& e) {
      EXPECT_EQ(e.trayIconRemoved, !hs.windows.trayIconShown);
      EXPECT_EQ(hs.messages.shown.back().icon, MsgIcon::Critical);
      return e.trayIconRemoved;
    }
    return std::nullopt;
  }
  std::string Text() const { return hs.messages.shown.back().text; }
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
};

const std::string kCorrupt = "The configuration file is missing or corrupted.\r\n";

TEST_F(LoadSettingsTest, AnUnreadableFileEndsTheProgramWithoutItsIcon) {
  EXPECT_EQ(LoadEnds(), true);
  EXPECT_EQ(hs.messages.shown.back().title, "Velnook Configuration File Error");
  EXPECT_EQ(Text(), kCorrupt + "Reinstall the program to restore the file.");

  ASSERT_TRUE(WriteTestSettings(hs.files));
  const std::string good = dir.Read("Data/Velnook.ini");
  auto endsWith = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    dir.Write("Data/Velnook.ini", text);
    EXPECT_EQ(LoadEnds(), true);
    return Text();
  };
  EXPECT_EQ(endsWith("AvTime=", "avtime="), kCorrupt + "AvTime is missing");
  EXPECT_EQ(endsWith("[Shutdown]\r\nShutTime=60\r\nShutType=1", "[Run]\r\n[Comms]"),
            kCorrupt +
                "[Shutdown], ShutTime and ShutType are missing\r\n"
                "[Comms] and [Run] are repeated");

  ASSERT_TRUE(WriteTestSettings(hs.files, {.AvTime = 99999}));
  state.ProgramTitle = "Velnook Slave";
  EXPECT_EQ(LoadEnds(), true);
  EXPECT_EQ(hs.messages.shown.back().title, "Velnook Slave Configuration File Read Error");
  EXPECT_EQ(Text(),
            "Unable to read the config file. \r\nThis may be a permissions problem.\r\n"
            "The program will now terminate.");
}

// Each rule on texts, paths and the partner, and what the user is told when
// it fails: the program ends but keeps its icon.
TEST_F(LoadSettingsTest, TextLengthsPathsAndThePartnerAreCheckedAndExplained) {
  struct Case {
    ConfigValues values;
    int rule;
    std::string problem;  // empty: not asserted
  };
  const std::string longPath = std::string(56, 'x') + "\xc3\xa9\\" + std::string(50, 'y') + "\\";
  const Case cases[] = {
      {{.LogName = "1234567"}, 9, "LogName=1234567 is not 8 to 20 characters long"},
      {{.LogName = "12345678"}, 0, ""},
      {{.LogName = std::string(20, 'x')}, 0, ""},
      {{.LogName = std::string(21, 'x')}, 9, ""},
      {{.LogPath = "L\\"}, 0, ""},
      {{.LogPath = std::string(100, 'x') + "\\"}, 10, ""},
      {{.LogPath = "Log"},
       12,
       std::string("LogPath=Log does not end with ") + kFolderSeparatorsHint},
      {{.DPath = "C:\\"}, 11, ""},
      {{.DPath = longPath},
       11,
       "DPath=" + std::string(56, 'x') + "... is not 4 to 100 characters long"},
      {{.DPath = "D:\\x\\"}, 0, ""},
      {{.DPath = "D:\\xy"},
       13,
       std::string("DPath=D:\\xy does not end with ") + kFolderSeparatorsHint},
      {{.IPAdd = "300.1.1.1"}, 3, "IPAdd=300.1.1.1 is not an IP address, which DName=1 asks for"},
      {{.DName = 2, .IPAdd = "10.1.1.1"},
       4,
       "IPAdd=10.1.1.1 is an IP address, but DName=2 asks for a domain name"},
      {{.DName = 2, .IPAdd = std::string(101, 'a')}, 4, ""},
      {{.ShutType = 4, .IPAdd = "192.168.0.20"}, 0, ""},
      {{.ShutType = 4},
       20,
       "ShutType=4 (Monitor) needs the slave's IP address, but IPAdd= is not one"},
      {{.DName = 2, .ShutType = 4}, 21, ""},
      {{.CMain = 2, .ShutType = 4, .IPAdd = "10.1.1.1"},
       22,
       "ShutType=4 (Monitor) is not allowed on a slave (CMain=2)"},
      {{.DownDelay = 601}, 7, "DownDelay=601 is outside 5 to 600"},
      {{.Port1 = 70000}, 14, "Port1=70000 is outside 1024 to 65535"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    EXPECT_EQ(CheckSettingsRanges(SettingsOf(c.values)).failedRule.value_or(0), c.rule);
    if (c.problem.empty()) continue;
    ASSERT_TRUE(WriteTestSettings(hs.files, c.values));
    EXPECT_EQ(LoadEnds(), false);
    EXPECT_EQ(hs.messages.shown.back().title, "Velnook Configuration File Error");
    EXPECT_EQ(Text(), kCorrupt + c.problem);
  }
  ASSERT_TRUE(WriteTestSettings(hs.files, {.CMain = 2}));
  hs.messages.shown.clear();
  EXPECT_FALSE(LoadEnds().has_value());
  EXPECT_TRUE(state.PartnerMissing);
  EXPECT_TRUE(hs.messages.shown.empty());
  EXPECT_EQ(state.settings.DownDelay, 300);
}

}  // namespace
}  // namespace velnook

// The settings file: written, read, checked and loaded.
#include "config/config_file.h"

#include <gtest/gtest.h>

#include "config/ip_address.h"
#include "config/leading_number.h"
#include "config/load_settings.h"
#include "config/settings_check.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/native_text.h"

namespace velnook {
namespace {

const std::string kExample =
    "# Velnook Version 2.5\r\n# Configuration File\r\n# 05-Dec-26 03:00:38\r\n\r\n"
    "[Comms]\r\nCMain=1\r\nDName=1\r\nIPAdd=\r\nPort1=10001\r\n\r\n"
    "[Run]\r\nAvTime=5\r\nDownDelay=300\r\nDownLevel=2\r\n"
    "DPath=%USERPROFILE%\\Local Settings\\Temporary Internet Files\\\r\n"
    "LogLevel=2\r\nLogName=Velnook.log\r\nLogPath=Log\\\r\nRunOnTop=1\r\nStartDelay=2\r\n"
    "StartMin=2\r\n\r\n[Shutdown]\r\nShutTime=60\r\nShutType=1\r\n\r\n";

// The example with the first occurrence of from replaced.
std::string With(const std::string& from, const std::string& to) {
  std::string s = kExample;
  s.replace(s.find(from), from.size(), to);
  return s;
}

ConfigReadStatus Read(const std::string& text, Settings& s) {
  std::string summary;
  return ReadConfigText(text, s, summary);
}

TEST(ConfigFile, DefaultsAreWrittenExactlyAndReadBackUnchanged) {
  TempWorkDir dir;
  NativeFileSystem files;
  ASSERT_TRUE(WriteTestSettings(files));
  EXPECT_EQ(dir.Read("Data/Velnook.ini"), kExample);
  Settings s;
  std::string summary;
  ASSERT_EQ(ReadConfigFile(files, s, summary), ConfigReadStatus::Ok);
  EXPECT_EQ(ComposeConfigFile(ValuesOf(s), FakeEventLoop{}.Now(), LocaleInfo{}), kExample);
  // The summary holds the significant lines without CMain.
  EXPECT_TRUE(summary.starts_with("\r\nConfiguration\r\n-------------\r\n\r\n[Comms]\r\nDName=1") &&
              summary.ends_with("\r\n[Shutdown]\r\nShutTime=60\r\nShutType=1"));
}

TEST(ConfigFile, KeysAreRecognisedExactlyAndCounted) {
  using enum ConfigReadStatus;
  const std::string shutdown = "[Shutdown]\r\nShutTime=60\r\nShutType=1\r\n";
  std::string lf;  // LF line ends and no final line end
  for (char c : kExample.substr(0, kExample.size() - 4))
    if (c != '\r') lf += c;
  const std::pair<std::string, ConfigReadStatus> cases[] = {
      {With("AvTime=5", "  AvTime=7  "), Ok},
      {With("AvTime=5", "AvTime = 7"), MissingOrCorrupt},
      {With("AvTime=5", "avtime=7"), MissingOrCorrupt},
      {With("AvTime=5", " #AvTime=7"), MissingOrCorrupt},
      {With("[Run]", "[run]"), MissingOrCorrupt},
      {With("\r\n\r\n[Shutdown]", "\r\nShutType=1\r\n[Shutdown]"), MissingOrCorrupt},
      {With("IPAdd=", "IPAdd=caf\xE9\x80"), Ok},  // bytes load unchanged
      {lf, Ok},
      {shutdown + With(shutdown, ""), Ok},  // sections in any order
      {"", MissingOrCorrupt},
      {kExample.substr(0, kExample.size() / 2), MissingOrCorrupt}};
  for (const auto& [text, status] : cases) {
    Settings s;
    EXPECT_EQ(Read(text, s), status) << text;
  }
  // A key given twice and another missing passes the count; the later wins.
  Settings s;
  s.DownLevel = 77;
  ASSERT_EQ(Read(With("DownLevel=2", "AvTime=9"), s), Ok);
  EXPECT_EQ((std::pair<int, int>{s.AvTime, s.DownLevel}), (std::pair<int, int>{9, 77}));
  ASSERT_EQ(Read(With("IPAdd=", "IPAdd=a#b=c"), s), Ok);
  EXPECT_EQ(s.IPAdd, "a#b=c");
}

TEST(ConfigFile, NumbersFollowTheLeadingNumberRuleMustFitAndAreWrittenShortest) {
  // Integers round half to even and must fit their type.
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"AvTime=2.5", 2},         {"AvTime=3.5", 4},      {"AvTime=-2.5", -2},
      {"AvTime=2.7", 3},         {"AvTime=&H1F", 31},    {"AvTime=", 0},
      {"AvTime=-32768", -32768}, {"AvTime=32767.5", {}}, {"AvTime=-32769", {}},
      {"AvTime=1e999", {}},      {"Port1=70000", 70000}, {"Port1=3000000000", {}}};
  for (const auto& [line, value] : cases) {
    Settings s;
    const std::string key = std::string(line).substr(0, std::string(line).find('='));
    const ConfigReadStatus status = Read(With(key + (key == "AvTime" ? "=5" : "=10001"), line), s);
    EXPECT_EQ(status, value ? ConfigReadStatus::Ok : ConfigReadStatus::ReadError) << line;
    const int got = key == "AvTime" ? s.AvTime : s.Port1;
    EXPECT_EQ(got, value.value_or(got)) << line;
  }
  // The number at the start of a text.
  const std::pair<const char*, double> texts[] = {
      {"300", 300},   {"12abc", 12}, {"1 0", 10},    {"abc", 0},    {"", 0},       {"  -7", -7},
      {"+5", 5},      {"2.5", 2.5},  {"1.2.3", 1.2}, {".5", 0.5},   {"1e3", 1000}, {"1D2", 100},
      {"1E-1", 0.1},  {"2e", 2},     {"2e+", 2},     {"&H1F@", 31}, {"&O17", 15},  {"&H", 0},
      {"&HZ", 0},     {"&X1", 0},    {"\t4\n2", 42}, {"-", 0},      {".", 0},      {"2,7", 2},
      {"1 e 2", 100}, {"0x10", 0},   {"1e-999", 0}};  // too small for a double is zero
  for (const auto& [text, value] : texts) {
    const auto v = LeadingNumber(text);
    ASSERT_TRUE(v.has_value()) << text;
    EXPECT_DOUBLE_EQ(*v, value) << text;
  }
  for (const std::string& big : {std::string(400, '9'), "1" + std::string(400, '0') + "e-5"})
    EXPECT_FALSE(LeadingNumber(big).has_value()) << big;
  EXPECT_EQ(LeadingNumber("-0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1e402"), 10.0);
  // Written in shortest form with the locale's separator.
  LocaleInfo comma;
  comma.decimalSeparator = ',';
  EXPECT_EQ(FormatConfigNumber(2.5, comma), "2,5");
  EXPECT_EQ(FormatConfigNumber(10001, comma), "10001");
  for (const auto& [value, text] : {std::pair{2.5, "2.5"}, {-3.0, "-3"}, {-0.0, "0"}})
    EXPECT_EQ(FormatConfigNumber(value, LocaleInfo{}), text);
}

TEST(IsIPAddress, DottedAddressesWithZeroOnlyInTheMiddleParts) {
  for (const char* ok : {"192.168.0.20", "255.255.255.255", "010.001.001.001", "1.0.0.255"})
    EXPECT_TRUE(IsIPAddress(ok)) << ok;
  for (const char* bad : {"", ".1.1.1", "1.1.1.1.", "1.1.1", "1.1.1.1.1", "0.1.1.1", "1.1.1.0",
                          "256.1.1.1", "1.256.1.1", "1..1.1", "a.b.c.d", "1.1.1.1 ", " 1.1.1.1",
                          "1,1.1.1", "-1.1.1.1", "99999999999.1.1.1", "1.1.1.99999999999"})
    EXPECT_FALSE(IsIPAddress(bad)) << bad;
  EXPECT_FALSE(ParseIPv4Address("1.1.256.1"));
}

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
  EXPECT_TRUE(CheckSettingsRanges(SettingsOf({.CMain = 2, .DName = 2})).partnerMissing);
  EXPECT_FALSE(CheckSettingsRanges(SettingsOf({.CMain = 2, .IPAdd = "127.0.0.1"})).partnerMissing);
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

  auto endsWith = [&](const std::string& from, const std::string& to) {
    dir.Write("Data/Velnook.ini", With(from, to));
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

// Each rule on texts, paths and the partner; when one fails the program ends,
// keeping its icon, and says what is wrong.
TEST_F(LoadSettingsTest, TextLengthsPathsAndThePartnerAreCheckedAndExplained) {
  const std::pair<ConfigValues, int> rules[] = {{{.LogName = "12345678"}, 0},
                                                {{.LogName = std::string(20, 'x')}, 0},
                                                {{.LogName = std::string(21, 'x')}, 9},
                                                {{.LogPath = "L\\"}, 0},
                                                {{.LogPath = std::string(100, 'x') + "\\"}, 10},
                                                {{.DPath = "C:\\"}, 11},
                                                {{.DPath = "D:\\x\\"}, 0},
                                                {{.DName = 2, .IPAdd = std::string(101, 'a')}, 4},
                                                {{.ShutType = 4, .IPAdd = "192.168.0.20"}, 0},
                                                {{.DName = 2, .ShutType = 4}, 21}};
  for (const auto& [values, rule] : rules)
    EXPECT_EQ(CheckSettingsRanges(SettingsOf(values)).failedRule.value_or(0), rule) << rule;
  const std::string x56 = std::string(56, 'x');
  const std::string separators = std::string(" does not end with ") + kFolderSeparatorsHint;
  const std::pair<ConfigValues, std::string> problems[] = {
      {{.LogName = "1234567"}, "LogName=1234567 is not 8 to 20 characters long"},
      {{.LogPath = "Log"}, "LogPath=Log" + separators},
      {{.DPath = x56 + "\xc3\xa9\\" + std::string(50, 'y') + "\\"},
       "DPath=" + x56 + "... is not 4 to 100 characters long"},
      {{.DPath = "D:\\xy"}, "DPath=D:\\xy" + separators},
      {{.IPAdd = "300.1.1.1"}, "IPAdd=300.1.1.1 is not an IP address, which DName=1 asks for"},
      {{.DName = 2, .IPAdd = "10.1.1.1"},
       "IPAdd=10.1.1.1 is an IP address, but DName=2 asks for a domain name"},
      {{.ShutType = 4}, "ShutType=4 (Monitor) needs the slave's IP address, but IPAdd= is not one"},
      {{.CMain = 2, .ShutType = 4, .IPAdd = "10.1.1.1"},
       "ShutType=4 (Monitor) is not allowed on a slave (CMain=2)"},
      {{.DownDelay = 601}, "DownDelay=601 is outside 5 to 600"},
      {{.Port1 = 70000}, "Port1=70000 is outside 1024 to 65535"}};
  for (const auto& [values, problem] : problems) {
    ASSERT_TRUE(WriteTestSettings(hs.files, values));
    EXPECT_EQ(LoadEnds(), false);
    EXPECT_EQ(hs.messages.shown.back().title, "Velnook Configuration File Error");
    EXPECT_EQ(Text(), kCorrupt + problem);
  }
}

}  // namespace
}  // namespace velnook

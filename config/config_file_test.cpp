#include "config/config_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/ip_address.h"
#include "config/leading_number.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

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
  EXPECT_TRUE(summary.starts_with("\r\nConfiguration\r\n-------------\r\n\r\n[Comms]\r\nDName=1"));
  EXPECT_TRUE(summary.ends_with("\r\n[Shutdown]\r\nShutTime=60\r\nShutType=1"));
  std::filesystem::remove(dir.Path() + "/Data/Velnook.ini");
  EXPECT_EQ(ReadConfigFile(files, s, summary), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(summary, "\r\nConfiguration\r\n-------------");
}

TEST(ConfigFile, KeysAreRecognisedExactlyAndCounted) {
  struct Case {
    std::string from, to;
    ConfigReadStatus status;
  };
  const Case cases[] = {
      {"AvTime=5", "  AvTime=7  ", ConfigReadStatus::Ok},
      {"AvTime=5", "AvTime = 7", ConfigReadStatus::MissingOrCorrupt},
      {"AvTime=5", "avtime=7", ConfigReadStatus::MissingOrCorrupt},
      {"AvTime=5", " #AvTime=7", ConfigReadStatus::MissingOrCorrupt},
      {"[Run]", "[run]", ConfigReadStatus::MissingOrCorrupt},
      {"[Shutdown]", "x", ConfigReadStatus::MissingOrCorrupt},
      // A key given twice and another missing passes the count; the later wins.
      {"DownLevel=2", "AvTime=9", ConfigReadStatus::Ok},
      {"IPAdd=", "IPAdd=a#b=c", ConfigReadStatus::Ok},
      {"IPAdd=", "IPAdd=caf\xE9\x80", ConfigReadStatus::Ok},  // bytes load unchanged
      {"\r\n\r\n[Shutdown]", "\r\nShutType=1\r\n[Shutdown]", ConfigReadStatus::MissingOrCorrupt},
  };
  for (const Case& c : cases) {
    Settings s;
    s.DownLevel = 77;
    EXPECT_EQ(Read(With(c.from, c.to), s), c.status) << c.to;
  }
  Settings s;
  s.DownLevel = 77;
  ASSERT_EQ(Read(With("DownLevel=2", "AvTime=9"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.AvTime, 9);
  EXPECT_EQ(s.DownLevel, 77);
  ASSERT_EQ(Read(With("IPAdd=", "IPAdd=a#b=c"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.IPAdd, "a#b=c");
  // LF line ends, no final line end, sections in any order.
  std::string lf;
  for (char c : kExample.substr(0, kExample.size() - 4))
    if (c != '\r') lf += c;
  ASSERT_EQ(Read(lf, s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.LogPath, "Log\\");
  EXPECT_EQ(s.ShutType, 1);
  const std::string shutdown = "[Shutdown]\r\nShutTime=60\r\nShutType=1\r\n";
  EXPECT_EQ(Read(shutdown + With(shutdown, ""), s), ConfigReadStatus::Ok);
  EXPECT_EQ(Read("", s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read(kExample.substr(0, kExample.size() / 2), s), ConfigReadStatus::MissingOrCorrupt);
}

TEST(ConfigFile, NumbersFollowTheLeadingNumberRuleAndMustFit) {
  // Integers round half to even and must fit their type.
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"AvTime=2.5", 2},      {"AvTime=3.5", 4},       {"AvTime=-2.5", -2},
      {"AvTime=2,7", 2},      {"AvTime=2.7", 3},       {"AvTime=&H1F", 31},
      {"AvTime=abc", 0},      {"AvTime=", 0},          {"AvTime=-32768", -32768},
      {"AvTime=32767.5", {}}, {"AvTime=-32769", {}},   {"AvTime=1e999", {}},
      {"Port1=70000", 70000}, {"Port1=3000000000", {}}};
  for (const auto& [line, value] : cases) {
    Settings s;
    const std::string key = std::string(line).substr(0, std::string(line).find('='));
    const ConfigReadStatus status = Read(With(key + (key == "AvTime" ? "=5" : "=10001"), line), s);
    EXPECT_EQ(status, value ? ConfigReadStatus::Ok : ConfigReadStatus::ReadError) << line;
    const int got = key == "AvTime" ? s.AvTime : s.Port1;
    EXPECT_EQ(got, value.value_or(got)) << line;
  }
}

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfAText) {
  const std::pair<std::string, double> cases[] = {{"300", 300},
                                                  {"12abc", 12},
                                                  {"1 0", 10},
                                                  {"abc", 0},
                                                  {"", 0},
                                                  {"  -7", -7},
                                                  {"+5", 5},
                                                  {"2.5", 2.5},
                                                  {"1.2.3", 1.2},
                                                  {".5", 0.5},
                                                  {"1e3", 1000},
                                                  {"1D2", 100},
                                                  {"1E-1", 0.1},
                                                  {"2e", 2},
                                                  {"2e+", 2},
                                                  {"&H1F", 31},
                                                  {"&O17", 15},
                                                  {"&H", 0},
                                                  {"&HZ", 0},
                                                  {"&X1", 0},
                                                  {"\t4\n2", 42},
                                                  {"-", 0},
                                                  {".", 0},
                                                  {"2,7", 2},
                                                  {"1 e 2", 100},
                                                  {"0x10", 0},
                                                  {"1e-999", 0},  // too small for a double is zero
                                                  {"-0." + std::string(400, '0') + "1", 0},
                                                  {"0." + std::string(400, '0') + "1e402", 10}};
  for (const auto& [text, value] : cases) {
    const auto v = LeadingNumber(text);
    ASSERT_TRUE(v.has_value()) << text;
    EXPECT_DOUBLE_EQ(*v, value) << text;
  }
  for (const std::string& big :
       {std::string("1e999"), std::string(400, '9'), "1" + std::string(400, '0') + "e-5"})
    EXPECT_FALSE(LeadingNumber(big).has_value()) << big;
}

TEST(IsIPAddress, DottedAddressesWithZeroOnlyInTheMiddleParts) {
  for (const char* ok : {"192.168.0.20", "255.255.255.255", "010.001.001.001", "1.0.0.255"})
    EXPECT_TRUE(IsIPAddress(ok)) << ok;
  for (const char* bad : {"", ".1.1.1", "1.1.1.1.", "1.1.1", "1.1.1.1.1", "0.1.1.1", "1.1.1.0",
                          "256.1.1.1", "1.256.1.1", "1..1.1", "a.b.c.d", "1.1.1.1 ", " 1.1.1.1",
                          "1,1.1.1", "-1.1.1.1", "99999999999.1.1.1", "1.1.1.99999999999"})
    EXPECT_FALSE(IsIPAddress(bad)) << bad;
  // A resolved address reads whatever its leading zeros, and may hold a 0 anywhere.
  EXPECT_EQ(ParseIPv4Address("0127.000.000.01")->ToText(), "127.0.0.1");
  EXPECT_EQ(ParseIPv4Address("10.0.0.0")->ToText(), "10.0.0.0");
  for (const char* bad : {"", "1.1.1", "1.1.1.1.1", "256.0.0.1", "1..1.1", " 1.1.1.1", "localhost",
                          "1.1.1.99999999999"})
    EXPECT_FALSE(ParseIPv4Address(bad)) << bad;
}

TEST(ConfigFile, NumbersAreWrittenInShortestFormWithTheLocaleSeparator) {
  LocaleInfo comma;
  comma.decimalSeparator = ',';
  EXPECT_EQ(FormatConfigNumber(2.5, comma), "2,5");
  EXPECT_EQ(FormatConfigNumber(10001, comma), "10001");
  for (const auto& [value, text] : {std::pair{2.5, "2.5"}, {-3.0, "-3"}, {-0.0, "0"}})
    EXPECT_EQ(FormatConfigNumber(value, LocaleInfo{}), text);
}

}  // namespace
}  // namespace velnook

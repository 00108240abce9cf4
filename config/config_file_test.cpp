#include "config/config_file.h"

#include <gtest/gtest.h>

#include <filesystem>

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
  struct Case {
    const char* line;
    std::optional<int> avTime;  // nullopt: a read error
  };
  const Case cases[] = {{"AvTime=2.5", 2}, {"AvTime=3.5", 4},    {"AvTime=2,7", 2},
                        {"AvTime=2.7", 3}, {"AvTime=&H1F", 31},  {"AvTime=abc", 0},
                        {"AvTime=", 0},    {"AvTime=99999", {}}, {"AvTime=1e999", {}}};
  for (const Case& c : cases) {
    Settings s;
    const ConfigReadStatus status = Read(With("AvTime=5", c.line), s);
    EXPECT_EQ(status, c.avTime ? ConfigReadStatus::Ok : ConfigReadStatus::ReadError) << c.line;
    EXPECT_EQ(s.AvTime, c.avTime.value_or(s.AvTime)) << c.line;
  }
  Settings s;
  ASSERT_EQ(Read(With("Port1=10001", "Port1=70000"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.Port1, 70000);
  EXPECT_EQ(Read(With("Port1=10001", "Port1=3000000000"), s), ConfigReadStatus::ReadError);
}

TEST(ConfigFile, NumbersAreWrittenInShortestFormWithTheLocaleSeparator) {
  LocaleInfo comma;
  comma.decimalSeparator = ',';
  EXPECT_EQ(FormatConfigNumber(2.5, LocaleInfo{}), "2.5");
  EXPECT_EQ(FormatConfigNumber(2.5, comma), "2,5");
  EXPECT_EQ(FormatConfigNumber(10001, comma), "10001");
  EXPECT_EQ(FormatConfigNumber(-3, LocaleInfo{}), "-3");
  EXPECT_EQ(FormatConfigNumber(-0.0, LocaleInfo{}), "0");
}

}  // namespace
}  // namespace velnook

#include "config/config_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "config/settings_check.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

const LocalTime kSaved{2026, 12, 5, 3, 0, 38};

const char* const kExampleLines[] = {
    "# Velnook Version 2.5",
    "# Configuration File",
    "# 05-Dec-26 03:00:38",
    "",
    "[Comms]",
    "CMain=1",
    "DName=1",
    "IPAdd=",
    "Port1=10001",
    "",
    "[Run]",
    "AvTime=5",
    "DownDelay=300",
    "DownLevel=2",
    "DPath=%USERPROFILE%\\Local Settings\\Temporary Internet Files\\",
    "LogLevel=2",
    "LogName=Velnook.log",
    "LogPath=Log\\",
    "RunOnTop=1",
    "StartDelay=2",
    "StartMin=2",
    "",
    "[Shutdown]",
    "ShutTime=60",
    "ShutType=1",
    ""};

std::string Joined(const std::vector<std::string>& lines, const char* eol = "\r\n") {
  std::string s;
  for (auto& l : lines) s += l + eol;
  return s;
}

std::vector<std::string> ExampleLines() {
  return {std::begin(kExampleLines), std::end(kExampleLines)};
}

// Replaces the line starting with prefix (or adds/removes one).
std::string ExampleWith(const std::string& prefix, const std::string& line) {
  auto lines = ExampleLines();
  for (auto& l : lines)
    if (l.rfind(prefix, 0) == 0) l = line;
  return Joined(lines);
}

ConfigReadStatus Read(const std::string& text, Settings& s) {
  std::string summary;
  return ReadConfigText(text, s, summary);
}

TEST(ConfigFile, DefaultsAreWrittenExactlyAsTheExample) {
  std::string expected = Joined(ExampleLines());
  EXPECT_EQ(ComposeConfigFile(ConfigValues{}, kSaved, LocaleInfo{}), expected);
  EXPECT_EQ(expected.substr(expected.size() - 4), "\r\n\r\n");
}

TEST(ConfigFile, DefaultsReadBackToTheSameValuesAndPassTheCheck) {
  TempWorkDir dir;
  NativeFileSystem files;
  ASSERT_TRUE(files.CreateFolder("Data"));
  ASSERT_TRUE(WriteConfigFile(files, ConfigValues{}, kSaved, LocaleInfo{}));
  EXPECT_EQ(dir.Read("Data/Velnook.ini"), Joined(ExampleLines()));

  Settings s;
  std::string summary;
  ASSERT_EQ(ReadConfigFile(files, s, summary), ConfigReadStatus::Ok);
  EXPECT_EQ(s.CMain, 1);
  EXPECT_EQ(s.Port1, 10001);
  EXPECT_EQ(s.DownDelay, 300);
  EXPECT_EQ(s.DPath, "%USERPROFILE%\\Local Settings\\Temporary Internet Files\\");
  EXPECT_EQ(s.LogPath, "Log\\");
  EXPECT_EQ(s.ShutTime, 60);
  EXPECT_FALSE(CheckSettingsRanges(s).failedRule);
  // Writing what was read gives the same file again.
  EXPECT_EQ(ComposeConfigFile(ValuesOf(s), kSaved, LocaleInfo{}), Joined(ExampleLines()));
}

TEST(ConfigFile, SummaryHoldsTheSignificantLinesWithoutCMain) {
  Settings s;
  std::string summary;
  auto lines = ExampleLines();
  lines.insert(lines.begin() + 9, "stray text");
  ASSERT_EQ(ReadConfigText(Joined(lines), s, summary), ConfigReadStatus::Ok);
  EXPECT_EQ(summary,
            "\r\nConfiguration\r\n-------------\r\n\r\n[Comms]\r\nDName=1\r\nIPAdd=\r\n"
            "Port1=10001\r\nstray text\r\n\r\n[Run]\r\nAvTime=5\r\nDownDelay=300\r\nDownLevel=2\r\n"
            "DPath=%USERPROFILE%\\Local Settings\\Temporary Internet Files\\\r\nLogLevel=2\r\n"
            "LogName=Velnook.log\r\nLogPath=Log\\\r\nRunOnTop=1\r\nStartDelay=2\r\nStartMin=2\r\n"
            "\r\n[Shutdown]\r\nShutTime=60\r\nShutType=1");
}

TEST(ConfigFile, KeysAreRecognisedExactlyAndCounted) {
  Settings s;
  EXPECT_EQ(Read(ExampleWith("AvTime=", "  AvTime=7  "), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.AvTime, 7);
  EXPECT_EQ(Read(ExampleWith("AvTime=", "AvTime = 7"), s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read(ExampleWith("AvTime=", "avtime=7"), s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read(ExampleWith("AvTime=", "#AvTime=7"), s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read(ExampleWith("AvTime=", " #AvTime=8"), s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read(ExampleWith("IPAdd=", "IPAdd=a#b=c"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.IPAdd, "a#b=c");

  // A key given twice and another missing still passes the count; the later
  // occurrence wins and the missing key keeps its earlier value.
  Settings d;
  d.DownLevel = 9;
  auto lines = ExampleLines();
  lines.erase(std::find(lines.begin(), lines.end(), "DownLevel=2"));
  lines.push_back("AvTime=9");
  EXPECT_EQ(Read(Joined(lines), d), ConfigReadStatus::Ok);
  EXPECT_EQ(d.AvTime, 9);
  EXPECT_EQ(d.DownLevel, 9);

  // Sections in any order, keys before the first section.
  std::string shuffled =
      "ShutType=1\r\n[Shutdown]\r\n[Run]\r\nAvTime=5\r\nDownDelay=300\r\nDownLevel=2\r\n"
      "DPath=C:\\dl\\\r\nLogLevel=2\r\nLogName=Velnook.log\r\nLogPath=Log\\\r\nRunOnTop=1\r\n"
      "StartDelay=2\r\nStartMin=2\r\nShutTime=60\r\n[Comms]\r\nCMain=1\r\nDName=1\r\nIPAdd=\r\n"
      "Port1=10001\r\n";
  EXPECT_EQ(Read(shuffled, s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.DPath, "C:\\dl\\");
  EXPECT_EQ(Read(ExampleWith("[Run]", "[run]"), s), ConfigReadStatus::MissingOrCorrupt);
}

TEST(ConfigFile, NumbersFollowTheLeadingNumberRule) {
  Settings s;
  ASSERT_EQ(Read(ExampleWith("DownLevel=", "DownLevel=2.5"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.DownLevel, 2);
  ASSERT_EQ(Read(ExampleWith("DownLevel=", "DownLevel=3.5"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.DownLevel, 4);
  ASSERT_EQ(Read(ExampleWith("DownLevel=", "DownLevel=2,7"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.DownLevel, 2);
  ASSERT_EQ(Read(ExampleWith("DownLevel=", "DownLevel=2.7"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.DownLevel, 3);
  ASSERT_EQ(Read(ExampleWith("AvTime=", "AvTime=&H1F"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.AvTime, 31);
  for (const char* zero : {"AvTime=0", "AvTime=abc", "AvTime="}) {
    ASSERT_EQ(Read(ExampleWith("AvTime=", zero), s), ConfigReadStatus::Ok);
    EXPECT_EQ(s.AvTime, 0);
  }
  ASSERT_EQ(Read(ExampleWith("Port1=", "Port1=70000"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.Port1, 70000);
  EXPECT_EQ(Read(ExampleWith("AvTime=", "AvTime=99999"), s), ConfigReadStatus::ReadError);
  EXPECT_EQ(Read(ExampleWith("Port1=", "Port1=3000000000"), s), ConfigReadStatus::ReadError);
  EXPECT_EQ(Read(ExampleWith("AvTime=", "AvTime=1e999"), s), ConfigReadStatus::ReadError);
}

TEST(ConfigFile, LineEndsAndSingleByteText) {
  Settings s;
  ASSERT_EQ(Read(Joined(ExampleLines(), "\n"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.LogPath, "Log\\");  // no CR left on the value
  // Bytes that are not UTF-8 load unchanged (Windows-1252 "é" and "€").
  ASSERT_EQ(Read(ExampleWith("IPAdd=", "IPAdd=caf\xE9\x80"), s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.IPAdd, "caf\xE9\x80");
  // The last line needs no line end.
  std::string noFinal = Joined(ExampleLines());
  noFinal.resize(noFinal.size() - 4);
  ASSERT_EQ(Read(noFinal, s), ConfigReadStatus::Ok);
  EXPECT_EQ(s.ShutType, 1);
}

TEST(ConfigFile, BadFilesAreRejectedWithoutHarm) {
  Settings s;
  std::string full = Joined(ExampleLines());
  EXPECT_EQ(Read("", s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read("# only\r\n# comments\r\n", s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read(full.substr(0, full.size() / 2), s), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(Read(ExampleWith("[Shutdown]", "x"), s), ConfigReadStatus::MissingOrCorrupt);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  EXPECT_EQ(Read(binary, s), ConfigReadStatus::MissingOrCorrupt);
  std::string big = full;
  while (big.size() < size_t{10} * 1024 * 1024) big += "filler line that is not a key\r\n";
  EXPECT_EQ(Read(big, s), ConfigReadStatus::Ok);
  big += "AvTime=5\r\n";  // one key line too many
  EXPECT_EQ(Read(big, s), ConfigReadStatus::MissingOrCorrupt);

  TempWorkDir dir;
  NativeFileSystem files;
  std::string summary;
  EXPECT_EQ(ReadConfigFile(files, s, summary), ConfigReadStatus::MissingOrCorrupt);
  EXPECT_EQ(summary, "\r\nConfiguration\r\n-------------");
}

TEST(ConfigFile, NumbersAreWrittenInShortestFormWithTheLocaleSeparator) {
  LocaleInfo comma;
  comma.decimalSeparator = ',';
  EXPECT_EQ(FormatConfigNumber(2.5, LocaleInfo{}), "2.5");
  EXPECT_EQ(FormatConfigNumber(2.5, comma), "2,5");
  EXPECT_EQ(FormatConfigNumber(300, comma), "300");
  EXPECT_EQ(FormatConfigNumber(-3, LocaleInfo{}), "-3");
  EXPECT_EQ(FormatConfigNumber(-0.0, LocaleInfo{}), "0");
  EXPECT_EQ(FormatConfigNumber(10001, LocaleInfo{}), "10001");
}

}  // namespace
}  // namespace velnook

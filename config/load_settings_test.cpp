#include "config/load_settings.h"

#include <gtest/gtest.h>

#include "config/config_file.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/native_text.h"

namespace velnook {
namespace {

const char* kCorrupt =
    "The configuration file is missing or corrupted.\r\nReinstall the program to restore the file.";

class LoadSettingsTest : public ::testing::Test {
 protected:
  void WriteSettings(const ConfigValues& v) {
    dir.Write("Data/.keep", "");
    ASSERT_TRUE(WriteConfigFile(hs.files, v, {2026, 12, 5, 3, 0, 38}, LocaleInfo{}));
  }
  // Loads and returns whether the program ended, and whether its icon went first.
  std::optional<bool> LoadEnds() {
    hs.windows.AddTrayIcon("Velnook", [] {});
    try {
      LoadSettings(state, hs.services);
    } catch (const ProgramEnded& e) {
      EXPECT_EQ(e.trayIconRemoved, !hs.windows.trayIconShown);
      return e.trayIconRemoved;
    }
    return std::nullopt;
  }
  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
};

TEST_F(LoadSettingsTest, UsableFileLoadsWithoutAMessage) {
  WriteSettings({});
  EXPECT_FALSE(LoadEnds().has_value());
  EXPECT_TRUE(hs.messages.shown.empty());
  EXPECT_EQ(state.settings.DownDelay, 300);
  EXPECT_FALSE(state.PartnerMissing);
}

TEST_F(LoadSettingsTest, MissingOrMiscountedFileIsCaseA) {
  EXPECT_EQ(LoadEnds(), true);
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  const auto& m = hs.messages.shown[0];
  EXPECT_EQ(m.icon, MsgIcon::Critical);
  EXPECT_EQ(m.buttons, MsgButtons::Ok);
  EXPECT_EQ(m.title, "Velnook Configuration File Error");
  EXPECT_EQ(m.text, kCorrupt);

  dir.Write("Data/Velnook.ini", "[Comms]\r\n[Run]\r\n");
  EXPECT_EQ(LoadEnds(), true);
  EXPECT_EQ(hs.messages.shown.back().title, "Velnook Configuration File Error");
}

TEST_F(LoadSettingsTest, CaseANamesTheMissingAndRepeatedKeysAndSections) {
  WriteSettings({});
  const std::string good = dir.Read("Data/Velnook.ini");
  auto endsWith = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    dir.Write("Data/Velnook.ini", text);
    EXPECT_EQ(LoadEnds(), true);
    return hs.messages.shown.back().text;
  };
  const std::string first = "The configuration file is missing or corrupted.\r\n";
  EXPECT_EQ(endsWith("AvTime=", "avtime="), first + "AvTime is missing");
  EXPECT_EQ(endsWith("[Run]\r\n", "AvTime=5\r\n"),
            first + "[Run] is missing\r\nAvTime is repeated");
  EXPECT_EQ(
      endsWith("[Shutdown]\r\nShutTime=60\r\nShutType=1", "[Run]\r\n[Comms]"),
      first + "[Shutdown], ShutTime and ShutType are missing\r\n[Comms] and [Run] are repeated");
}

TEST_F(LoadSettingsTest, NumberTooLargeIsCaseB) {
  WriteSettings({.AvTime = 99999});
  state.ProgramTitle = "Velnook Slave";
  EXPECT_EQ(LoadEnds(), true);
  const auto& m = hs.messages.shown.back();
  EXPECT_EQ(m.title, "Velnook Slave Configuration File Read Error");
  EXPECT_EQ(m.text,
            "Unable to read the config file. \r\nThis may be a permissions problem.\r\n"
            "The program will now terminate.");
  EXPECT_EQ(m.icon, MsgIcon::Critical);
}

TEST_F(LoadSettingsTest, CaseCKeepsTheIconAndSaysWhatIsWrong) {
  struct Case {
    ConfigValues values;
    std::string problem;
  };
  const std::string longPath = std::string(56, 'x') + "\xc3\xa9\\" + std::string(50, 'y') + "\\";
  const Case cases[] = {
      {{.DownDelay = 601}, "DownDelay=601 is outside 5 to 600"},
      {{.AvTime = 0}, "AvTime=0 is outside 1 to 30"},
      {{.Port1 = 70000}, "Port1=70000 is outside 1024 to 65535"},
      {{.DPath = "D:\\x"}, std::string("DPath=D:\\x does not end with ") + kFolderSeparatorsHint},
      {{.LogName = "a.log"}, "LogName=a.log is not 8 to 20 characters long"},
      {{.DPath = longPath},
       "DPath=" + std::string(56, 'x') + "... is not 4 to 100 characters long"},
      {{.IPAdd = "300.1.1.1"}, "IPAdd=300.1.1.1 is not an IP address, which DName=1 asks for"},
      {{.DName = 2, .IPAdd = "10.1.1.1"},
       "IPAdd=10.1.1.1 is an IP address, but DName=2 asks for a domain name"},
      {{.ShutType = 4}, "ShutType=4 (Monitor) needs the slave's IP address, but IPAdd= is not one"},
      {{.CMain = 2, .ShutType = 4, .IPAdd = "10.1.1.1"},
       "ShutType=4 (Monitor) is not allowed on a slave (CMain=2)"},
  };
  for (const Case& c : cases) {
    WriteSettings(c.values);
    EXPECT_EQ(LoadEnds(), false);
    EXPECT_EQ(hs.messages.shown.back().title, "Velnook Configuration File Error");
    EXPECT_EQ(hs.messages.shown.back().text,
              "The configuration file is missing or corrupted.\r\n" + c.problem);
  }
}

TEST_F(LoadSettingsTest, SlaveWithoutPartnerLoadsAndIsMarked) {
  WriteSettings({.CMain = 2});
  EXPECT_FALSE(LoadEnds().has_value());
  EXPECT_TRUE(state.PartnerMissing);
  WriteSettings({.CMain = 2, .ShutType = 4});
  EXPECT_EQ(LoadEnds(), false);
}

}  // namespace
}  // namespace velnook

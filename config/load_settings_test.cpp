#include "config/load_settings.h"

#include <gtest/gtest.h>

#include "config/config_file.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

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

TEST_F(LoadSettingsTest, OutOfRangeValueIsCaseCAndKeepsTheIcon) {
  WriteSettings({.AvTime = 0});
  EXPECT_EQ(LoadEnds(), false);
  EXPECT_EQ(hs.messages.shown.back().title, "Velnook Configuration File Error");
  EXPECT_EQ(hs.messages.shown.back().text, kCorrupt);
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

#pragma once
// The configuration screen over the default settings with the download folder
// "dls\", stored and running, in a working directory with a "Log" folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/check_screen_values.h"
#include "config/frm_config.h"
#include "config/settings_test_support.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

using Labels = std::vector<std::string>;

class ScreenTest : public ::testing::Test {
 protected:
  ScreenTest() : hs(dir.Path()) {
    dir.Write("Log/.keep", "");
    hs.admin.administrator = true;
    state.settings = SettingsOf({.DPath = "dls\\"});
    EXPECT_TRUE(WriteTestSettings(hs.files, ValuesOf(state.settings)));
    original = SettingsFile();
  }
  std::string SettingsFile() const { return dir.Read("Data/Velnook.ini"); }
  int Check() { return CheckScreenValues(screen, state, hs.services); }
  void Set(const std::string& field, const std::string& text) { screen.Get(field).caption = text; }
  // The labels shown orange and bold, the marks of the check.
  Labels MarkedLabels() const {
    Labels out;
    for (const Control& c : screen.controls)
      if (c.name.ends_with('M') && c.foreColour == kOrange && c.bold) out.push_back(c.name);
    return out;
  }
  const std::string& Status() const { return screen.Get("Status").caption; }

  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  std::string original;
  int reinitialisations = 0;
  FrmConfig screen{hs.services, state, {.reinitialise = [this] { ++reinitialisations; }}};
};

}  // namespace velnook

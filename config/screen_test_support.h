#pragma once
// What the configuration screen's tests share: a working directory with a
// "Log" folder, running settings with the default values, and the screen.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/check_screen_values.h"
#include "config/config_file.h"
#include "config/frm_config.h"
#include "config/settings_test_support.h"
#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

inline Settings DefaultSettings() {
  return SettingsOf({.DPath = "dls\\"});
}

class ScreenTest : public ::testing::Test {
 protected:
  ScreenTest() : hs(dir.Path()) {
    dir.Write("Log/.keep", "");
    hs.files.CreateFolder("Data");
    hs.admin.administrator = true;
    state.settings = DefaultSettings();
  }
  void WriteSettingsFile() { ASSERT_TRUE(WriteTestSettings(hs.files, ValuesOf(state.settings))); }
  std::string SettingsFile() const { return dir.Read("Data/Velnook.ini"); }
  int Check() { return CheckScreenValues(screen, state, hs.services); }
  void Set(const std::string& field, const std::string& text) { screen.Get(field).caption = text; }
  bool Marked(const std::string& label) const {
    const Control& c = screen.Get(label);
    return c.foreColour == kOrange && c.bold;
  }
  std::vector<std::string> MarkedLabels() const {
    std::vector<std::string> out;
    for (const Control& c : screen.controls)
      if (c.name.size() > 1 && c.name.back() == 'M' && Marked(c.name)) out.push_back(c.name);
    return out;
  }
  const std::string& Status() const { return screen.Get("Status").caption; }

  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  int reinitialisations = 0;
  FrmConfig screen{hs.services, state, {.reinitialise = [this] { ++reinitialisations; }}};
};

using Labels = std::vector<std::string>;

}  // namespace velnook

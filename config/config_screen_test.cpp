// The configuration screen on the headless backend. The limits it checks are
// the load check's, tested there.
#include <gtest/gtest.h>

#include "config/check_screen_values.h"
#include "config/default_download_path.h"
#include "config/frm_config.h"
#include "config/settings_test_support.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/native_text.h"

namespace velnook {
namespace {

using Labels = std::vector<std::string>;

// The screen open over the stored and running defaults with the download
// folder "dls\", in a working directory with a "Log" folder.
class ConfigScreenTest : public ::testing::Test {
 protected:
  ConfigScreenTest() : hs(dir.Path()) {
    dir.Write("Log/.keep", "");
    hs.admin.administrator = true;
    state.settings = SettingsOf({.DPath = "dls\\"});
    EXPECT_TRUE(WriteTestSettings(hs.files, ValuesOf(state.settings)));
    original = SettingsFile();
    screen.Open();
  }
  std::string SettingsFile() const { return dir.Read("Data/Velnook.ini"); }
  int Check() { return CheckScreenValues(screen, state, hs.services); }
  void Set(const std::string& field, const std::string& text) { screen.Get(field).caption = text; }
  // The labels the check turned orange and bold.
  Labels MarkedLabels() const {
    Labels out;
    for (const Control& c : screen.controls)
      if (c.name.ends_with('M') && c.foreColour == kOrange && c.bold) out.push_back(c.name);
    return out;
  }
  // The check with text in field, which then gets its old text back.
  std::pair<int, Labels> Try(const std::string& field, const std::string& text) {
    const std::string old = screen.Text(field);
    Set(field, text);
    const std::pair<int, Labels> result{Check(), MarkedLabels()};
    Set(field, old);
    return result;
  }
  void Save() { screen.OnClick("Save"); }
  const std::string& Status() const { return screen.Get("Status").caption; }

  TempWorkDir dir;
  HeadlessServices hs;
  SharedState state;
  std::string original;
  int reinitialisations = 0;
  FrmConfig screen{hs.services, state, {.reinitialise = [this] { ++reinitialisations; }}};
};

TEST_F(ConfigScreenTest, EachFieldIsJudgedAsTypedAndMarksItsLabel) {
  EXPECT_EQ(screen.Get("DPathM").caption,  // the limits count the separator
            std::string("(Must exist and be between 3 and 99 characters plus ") +
                kFolderSeparatorsHint + ")");
  for (const char* key : {"AvTime", "DownDelay", "DownLevel", "Port1", "ShutTime", "StartDelay",
                          "LogName", "LogPath", "DPath"})
    EXPECT_EQ(Try(std::string(key) + "T", "0").second, Labels{std::string(key) + "M"}) << key;
  const std::pair<const char*, std::string> pass[] = {
      {"AvTimeT", "12abc"}, {"DownLevelT", "2.5"}, {"IPAddT", ""}};
  for (const auto& [field, text] : pass) EXPECT_EQ(Try(field, text).first, 0) << field << text;
  // Fractions count as typed; the log folder must exist.
  const std::pair<const char*, std::string> fail[] = {
      {"AvTimeT", "30.5"}, {"AvTimeT", "1e999"},    {"DownLevelT", "1.99"}, {"DPathT", "C:\\x"},
      {"LogPathT", "Log"}, {"LogPathT", "Nolog\\"}, {"IPAddT", "abc"}};
  for (const auto& [field, text] : fail) EXPECT_EQ(Try(field, text).first, 1) << field << text;
  // Too long and missing: two rules, one label.
  EXPECT_EQ(Try("LogPathT", std::string(100, 'l') + "\\"), std::make_pair(2, Labels{"LogPathM"}));
  screen.Get("DNameT").value = 1;
  for (const std::string& t : {std::string("host.example"), std::string(100, 'h')})
    EXPECT_EQ(Try("IPAddT", t).first, 0) << t;
  for (const std::string& t : {std::string("192.168.1.5"), std::string(101, 'h')})
    EXPECT_EQ(Try("IPAddT", t).first, 1) << t;
  // A list with no choice keeps the previous code.
  screen.Get("ShutNameT").value = -1;
  screen.Get("LogLevelT").value = -1;
  EXPECT_EQ(Check(), 0);
  EXPECT_EQ(std::make_pair(screen.ShutTypeCode, screen.LogLevelCode), std::make_pair(1, 2));
  screen.ShutTypeCode = 0;
  screen.LogLevelCode = 0;
  EXPECT_EQ(Try("AvTimeT", "5"), std::make_pair(2, Labels{"LogLevelM", "ShutTypeM"}));
}

TEST_F(ConfigScreenTest, TheActionAndTheRoleNeedAPartner) {
  struct Case {
    int cmain, dname;
    const char *action, *actionHint, *address;  // actionHint: ShutTypeM's caption on choosing
    int broken;
    Labels marked;
    const char* addressHint;  // IPAddM's caption after the check
  };
  const char* const ip = "(Only Use With A Valid IP Address)";
  const char* const name = "(Only Use With A Valid Domain Name)";
  const char* const forces = "(Forces Running Applications To Close)";
  const char* const none = "Not Available In Slave Mode";
  const Case cases[] = {
      {1, 0, "Monitor", ip, "", 2, {"ShutTypeM", "IPAddM"}, "Must Be A Valid IP Address"},
      {1, 0, "Monitor", ip, "192.168.1.20", 0, {}, "(Either empty or a valid IP address)"},
      {1, 1, "Monitor", name, "", 2, {"ShutTypeM", "IPAddM"}, "Must Be A Valid Domain Name"},
      {1, 1, "Hibernate", "", "", 0, {}, "(Either empty or a valid domain name)"},
      {2, 0, "Power Off", forces, "", 1, {"IPAddM"}, "(A valid IP address)"},
      {2, 1, "Reboot", forces, "", 1, {"IPAddM"}, "(a valid domain name)"},
      {2, 0, "Monitor", none, "192.168.1.5", 1, {"ShutTypeM"}, "(A valid IP address)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cmain << c.dname << c.action << c.address);
    state.settings.CMain = static_cast<std::int16_t>(c.cmain);
    screen.Get("DNameT").value = c.dname;
    screen.Choose("ShutNameT", c.action);
    screen.ShowShutTypeHint();
    EXPECT_EQ(screen.Get("ShutTypeM").caption, c.actionHint);
    Set("IPAddT", c.address);
    EXPECT_EQ(Check(), c.broken);
    EXPECT_EQ(MarkedLabels(), c.marked);
    EXPECT_EQ(screen.Get("IPAddM").caption, c.addressHint);
  }
  EXPECT_EQ(screen.Get("ShutTypeM").caption, "Invalid Option In Slave Mode");
  screen.Choose("ShutNameT", "Reboot");
  state.SetupError = true;  // the port is in use
  EXPECT_EQ(Try("AvTimeT", "5"), std::make_pair(1, Labels{"Port1M"}));
}

TEST_F(ConfigScreenTest, SaveWritesOnlyAChangeOfStorableValidValuesAndOnlyForAnAdministrator) {
  Save();
  EXPECT_EQ(Status(), "No Changes To Save");
  hs.loop.Advance(2000);  // Timer2 clears the status once
  EXPECT_EQ(Status(), "");
  // Values the next load would refuse (the reader trims "abcdefg ") are never written.
  for (const char* bad : {"abcdefg ", "abcdefgh\r\nShutType=4"}) {
    Set("LogNameT", bad);
    Save();
    EXPECT_EQ(Status(), "Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
  }
  EXPECT_EQ(SettingsFile(), original);
  EXPECT_FALSE(state.ConfigChanged);

  const Settings running = state.settings;
  Set("LogNameT", "Results.log");
  Set("AvTimeT", "12abc");
  state.SetupError = true;
  Save();
  EXPECT_EQ(Status(), "Changes Saved - Click Close To Activate The Changes");
  EXPECT_TRUE(state.ConfigChanged);
  EXPECT_FALSE(state.SetupError);
  for (const char* line :
       {"\r\nAvTime=12\r\n", "\r\nLogName=Results.log\r\n", "# 05-Dec-26 03:00:40\r\n"})
    EXPECT_NE(SettingsFile().find(line), std::string::npos) << line;
  EXPECT_EQ(state.settings, running);  // applied only by re-initialisation
  Save();
  EXPECT_EQ(Status(), "No Changes To Save");

  // Characters the system cannot store are refused, not replaced.
  const std::string saved = SettingsFile();
  Set("DPathT", "????????\\");
  screen.Get("DPathT").unstorable = true;
  Save();
  EXPECT_EQ(hs.messages.Only().title, "Velnook Data Error");
  EXPECT_EQ(Status(),
            "Item(s) Highlighted Contain Characters That Cannot Be Stored - Changes Not Saved");
  EXPECT_EQ(MarkedLabels(), Labels{"DPathM"});
  screen.OnClick("Restore");  // replaces the field, and with it the refusal
  EXPECT_FALSE(screen.Get("DPathT").unstorable);
  hs.admin.administrator = false;
  screen.Open();
  EXPECT_FALSE(screen.Get("Save").enabled);
  Set("AvTimeT", "7");
  Save();
  EXPECT_EQ(SettingsFile(), saved);
}

// A disk that refuses the new file, or claims to have written it but holds
// something else: "Changes Saved" only once the file holds the new values.
class FailingDisk : public NativeFileSystem {
 public:
  bool ReplaceFile(const std::string& path, const std::string& content) override {
    return lie && NativeFileSystem::ReplaceFile(path, content.substr(0, content.size() / 2));
  }
  bool lie = false;
};

TEST_F(ConfigScreenTest, AFailedWriteSaysSoAndReturnsToTheRunningValues) {
  FailingDisk disk;
  Services failing = WithFiles(hs.services, disk);
  for (bool lie : {false, true}) {
    disk.lie = lie;
    hs.messages.shown.clear();
    FrmConfig s(failing, state, {});
    s.Open();
    s.Get("AvTimeT").caption = "7";
    s.OnClick("Save");
    EXPECT_EQ(hs.messages.Only(),
              (MessageBoxRequest{MsgIcon::Exclamation, MsgButtons::Ok,
                                 "Velnook Configuration File Write Error",
                                 "Unable to write to the configuration file \r\n"
                                 "This may be a permissions problem."}));
    EXPECT_EQ(std::make_pair(s.Text("AvTimeT"), s.Get("Status").caption),
              std::make_pair(std::string("5"), std::string()));
    EXPECT_FALSE(state.ConfigChanged);
    s.CloseWithoutActions();
  }
}

TEST_F(ConfigScreenTest, RestorePutsEveryDefaultAndTheDesktopsFolderInButTheRoleAndPartner) {
  hs.process.environment["HOME"] = dir.Path();
  dir.Write(".config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Bureau\"\n");
  ConfigValues stored{.DName = 2, .AvTime = 20, .LogLevel = 3, .RunOnTop = 2, .StartMin = 1};
  stored.ShutType = 5;
  stored.CMain = 2;  // a slave stays one
  stored.IPAdd = "partner.example";
  state.settings = SettingsOf(stored);
  state.WindowStateOverride = true;
  screen.Open();
  EXPECT_TRUE(screen.Checked("RunOnTopT"));  // the boxes show the stored values first
  EXPECT_FALSE(screen.Checked("StartMinT"));
  screen.OnClick("Restore");
  EXPECT_EQ(Status(), "Defaults Restored - Click Save To Keep");
  Save();
  Settings saved;
  std::string summary;
  ASSERT_EQ(ReadConfigText(SettingsFile(), saved, summary), ConfigReadStatus::Ok);
  EXPECT_FALSE(state.WindowStateOverride);  // StartMin changed: the user's choice goes
  EXPECT_EQ(saved, SettingsOf({.CMain = 2,
                               .DName = 2,
                               .IPAdd = "partner.example",
                               .DPath = DefaultDownloadPath(hs.files, hs.process)}));
}

TEST_F(ConfigScreenTest, ASlaveSeesItsOwnLayoutAndOpeningMarksWhatIsWrong) {
  state.settings.CMain = 2;
  state.settings.IPAdd = "192.168.1.5";
  state.settings.LogPath = "Nolog\\";
  state.ConfigChanged = true;
  screen.Open();
  EXPECT_EQ(screen.Get("DownDelayL").caption, "Lost Comms Delay");
  EXPECT_EQ(Status(), "1 Item(s) Highlighted Contain Out Of Range Values");
  EXPECT_TRUE(state.ConfigChanged);  // only a clean check clears it
  EXPECT_EQ(MarkedLabels(), Labels{"LogPathM"});
  screen.Get("DNameT").value = 1;
  screen.OnChange("DNameT");  // ticking clears the marks
  EXPECT_TRUE(MarkedLabels().empty());
  EXPECT_EQ(screen.Get("IPAddL").caption, "Domain Name");
  state.settings = SettingsOf({.DPath = "dls\\"});
  screen.Open();
  EXPECT_FALSE(state.ConfigChanged);
  EXPECT_EQ(screen.Get("DownDelayL").caption, "Download Delay:");
}

TEST_F(ConfigScreenTest, TheCountdownShowsItsLastNinetySecondsAndCloseReinitialisesIfNeeded) {
  hs.loop.Advance(510 * 1000);
  EXPECT_EQ(screen.Get("TMessage").caption, "");
  screen.OnChange("AvTimeT");  // input does not restart it
  hs.loop.Advance(1000);
  EXPECT_EQ(screen.Get("TMessage").caption, "The Configuration Screen will close in 90 sec");
  hs.loop.Advance(89 * 1000);
  EXPECT_EQ(state.ScreenCloseCountdown, 0);  // the monitor closes it at 0
  screen.OnClick("ExitConfig");
  EXPECT_FALSE(screen.Timer1().IsRunning());
  // Only after a save or with an unusable set-up.
  for (bool* flag : {&state.ConfigChanged, &state.PartnerMissing, &state.SetupError}) {
    screen.Open();
    *flag = true;
    screen.OnCloseRequest();  // the frame's close box and Escape do the same
    *flag = false;
    EXPECT_FALSE(state.ScreenOpen);
  }
  EXPECT_EQ(reinitialisations, 3);
}

}  // namespace
}  // namespace velnook

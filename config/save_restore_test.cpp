#include "config/save_restore.h"

#include "config/default_download_path.h"
#include "config/screen_test_support.h"

namespace velnook {
namespace {

class SaveTest : public ScreenTest {
 protected:
  SaveTest() {
    WriteSettingsFile();
    original = SettingsFile();
    hs.loop.SetNow({2026, 12, 5, 3, 0, 38});
    screen.Open();
  }
  void Save() { screen.OnClick("Save"); }
  std::string original;
};

TEST_F(SaveTest, NothingTouchedSaysSoAndWritesNothing) {
  Save();
  EXPECT_EQ(Status(), "No Changes To Save");
  EXPECT_EQ(SettingsFile(), original);
  EXPECT_FALSE(state.ConfigChanged);
  hs.loop.Advance(2000);  // Timer2 clears the status once
  EXPECT_EQ(Status(), "");
  EXPECT_FALSE(screen.Timer2().IsRunning());
}

TEST_F(SaveTest, AChangeIsWrittenOnceAndTheRunningSettingsStay) {
  Set("AvTimeT", "05");  // the same number, but typed differently
  Set("LogNameT", "Results.log");
  Save();
  EXPECT_EQ(Status(), "Changes Saved - Click Close To Activate The Changes");
  EXPECT_TRUE(state.ConfigChanged);
  const std::string saved = SettingsFile();
  EXPECT_NE(saved.find("# 05-Dec-26 03:00:38\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nAvTime=5\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nLogName=Results.log\r\n"), std::string::npos);
  EXPECT_EQ(state.settings, DefaultSettings());  // applied only by re-initialisation

  hs.loop.Advance(1000);
  Save();
  EXPECT_EQ(Status(), "No Changes To Save");
  EXPECT_EQ(SettingsFile(), saved);
}

TEST_F(SaveTest, TextsAreComparedExactlyAndNumbersSavedByTheirLeadingNumber) {
  Set("AvTimeT", "12");
  Set("DownDelayT", "30");
  Save();  // "5"/"300" became "12"/"30"
  EXPECT_TRUE(state.ConfigChanged);
  Set("AvTimeT", "12abc");
  Set("DownLevelT", "2.5");
  Save();
  EXPECT_NE(SettingsFile().find("\r\nAvTime=12\r\n"), std::string::npos);
  EXPECT_NE(SettingsFile().find("\r\nDownLevel=2.5\r\n"), std::string::npos);
}

TEST_F(SaveTest, ABadValueSavesNothingAndKeepsTheSnapshot) {
  Set("AvTimeT", "31");
  Save();
  EXPECT_EQ(Status(), "Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
  EXPECT_TRUE(Marked("AvTimeM"));
  EXPECT_EQ(SettingsFile(), original);
  EXPECT_FALSE(state.ConfigChanged);
  hs.loop.Advance(3000);
  EXPECT_EQ(Status(), "Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
  Set("AvTimeT", "5");
  Save();
  EXPECT_EQ(Status(), "No Changes To Save");
}

TEST_F(SaveTest, AValueTheNextLoadWouldRefuseIsNeverWritten) {
  // The reader trims its lines: "abcdefg " would come back 7 characters long
  // and end the program when the screen closes.
  Set("LogNameT", "abcdefg ");
  Save();
  EXPECT_EQ(Status(), "Item(s) Highlighted Contain Out Of Range Values - Changes Not Saved");
  Set("LogNameT", "abcdefgh\r\nShutType=4");
  Save();
  EXPECT_EQ(SettingsFile(), original);
  EXPECT_FALSE(state.ConfigChanged);
}

TEST_F(SaveTest, SavingClearsTheSetUpErrorAndTheWindowStateChoiceWhenStartMinChanges) {
  state.SetupError = true;
  state.WindowStateOverride = true;
  Save();
  EXPECT_FALSE(state.SetupError);
  EXPECT_TRUE(state.WindowStateOverride);
  screen.Get("StartMinT").value = 0;
  Save();
  EXPECT_FALSE(state.WindowStateOverride);
  EXPECT_NE(SettingsFile().find("\r\nStartMin=1\r\n"), std::string::npos);
}

TEST_F(SaveTest, ASlaveKeepsItsRole) {
  state.settings.CMain = 2;
  state.settings.IPAdd = "192.168.1.5";
  screen.Open();
  Set("DownDelayT", "120");
  Save();
  EXPECT_NE(SettingsFile().find("\r\nCMain=2\r\n"), std::string::npos);
  EXPECT_NE(SettingsFile().find("\r\nIPAdd=192.168.1.5\r\n"), std::string::npos);
}

// A disk that refuses the new file, or claims to have written it but holds
// something else.
class FailingDisk : public NativeFileSystem {
 public:
  bool ReplaceFile(const std::string& path, const std::string& content) override {
    if (lie) return NativeFileSystem::ReplaceFile(path, content.substr(0, content.size() / 2));
    return false;
  }
  bool lie = false;
};

TEST_F(SaveTest, AFailedWriteSaysSoKeepsTheOldFileAndReturnsToTheRunningValues) {
  FailingDisk disk;
  Services failing = WithFiles(hs.services, disk);
  for (bool lie : {false, true}) {
    disk.lie = lie;
    hs.messages.shown.clear();
    FrmConfig s(failing, state, {});
    s.Open();
    s.Get("AvTimeT").caption = "7";
    s.OnClick("Save");
    ASSERT_EQ(hs.messages.shown.size(), 1u);
    EXPECT_EQ(hs.messages.shown[0].title, "Velnook Configuration File Write Error");
    EXPECT_EQ(hs.messages.shown[0].text,
              "Unable to write to the configuration file \r\nThis may be a permissions problem.");
    EXPECT_EQ(hs.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(s.Text("AvTimeT"), "5");
    EXPECT_EQ(s.Get("Status").caption, "");
    EXPECT_FALSE(s.Timer2().IsRunning());
    EXPECT_FALSE(state.ConfigChanged);
    if (!lie) {
      EXPECT_EQ(SettingsFile(), original);
    }
    s.CloseWithoutActions();
  }
}

TEST_F(SaveTest, RestorePutsTheDefaultsInAndCloseWithoutSaveChangesNothing) {
  state.settings.AvTime = 20;
  state.settings.ShutType = 5;
  state.settings.LogLevel = 3;
  state.settings.RunOnTop = 2;
  state.settings.StartMin = 1;
  state.settings.DName = 2;
  state.settings.IPAdd = "partner.example";
  WriteSettingsFile();
  original = SettingsFile();
  screen.Open();
  screen.OnClick("Restore");
  EXPECT_EQ(Status(), "Defaults Restored - Click Save To Keep");
  EXPECT_EQ(screen.Text("AvTimeT"), "5");
  EXPECT_EQ(screen.ListText("ShutNameT"), "Power Off");
  EXPECT_EQ(screen.ListText("LogLevelT"), "Normal");
  // This system's default, which the tests of DefaultDownloadPath show.
  EXPECT_EQ(screen.Text("DPathT"), DefaultDownloadPath(hs.files, hs.process));
  EXPECT_FALSE(screen.Checked("RunOnTopT"));
  EXPECT_TRUE(screen.Checked("StartMinT"));
  EXPECT_TRUE(screen.Checked("DNameT"));  // the address is left alone
  EXPECT_EQ(screen.Text("IPAddT"), "partner.example");
  hs.loop.Advance(2000);
  EXPECT_EQ(Status(), "");
  screen.OnClick("ExitConfig");
  EXPECT_EQ(SettingsFile(), original);
  EXPECT_EQ(reinitialisations, 0);
  EXPECT_FALSE(state.ScreenOpen);
}

TEST_F(SaveTest, OnlyAnAdministratorMaySave) {
  hs.admin.administrator = false;
  screen.Open();
  EXPECT_FALSE(screen.Get("Save").enabled);
  EXPECT_TRUE(screen.Get("Restore").enabled);
  Set("AvTimeT", "7");
  screen.OnClick("Save");
  EXPECT_EQ(SettingsFile(), original);
  EXPECT_EQ(Status(), "");
}

TEST_F(SaveTest, CharactersTheSystemCannotStoreAreRefusedNotReplaced) {
  // What a renderer reports when the typed text lost characters on the way
  // into this system's texts, such as Cyrillic under a Western code page.
  Set("DPathT", "????????\\");
  screen.Get("DPathT").unstorable = true;
  Save();
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  EXPECT_EQ(hs.messages.shown[0].title, "Velnook Data Error");
  EXPECT_EQ(hs.messages.shown[0].icon, MsgIcon::Exclamation);
  EXPECT_NE(hs.messages.shown[0].text.find("cannot be stored"), std::string::npos);
  EXPECT_EQ(Status(),
            "Item(s) Highlighted Contain Characters That Cannot Be Stored - Changes Not Saved");
  EXPECT_TRUE(Marked("DPathM"));
  EXPECT_EQ(SettingsFile(), original);
  EXPECT_FALSE(state.ConfigChanged);
  // Restore replaces the field, and with it the refusal.
  screen.OnClick("Restore");
  EXPECT_FALSE(screen.Get("DPathT").unstorable);
}

}  // namespace
}  // namespace velnook

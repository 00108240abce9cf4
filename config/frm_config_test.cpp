#include "config/frm_config.h"

#include "config/screen_test_support.h"

namespace velnook {
namespace {

using FrmConfigTest = ScreenTest;

TEST_F(FrmConfigTest, OpeningOnAMasterFillsTheFieldsAndPausesTheMonitor) {
  state.settings.ShutType = 2;
  state.settings.RunOnTop = 2;
  screen.Open();
  EXPECT_TRUE(state.ScreenOpen);
  EXPECT_TRUE(hs.windows.IsShown(screen));
  EXPECT_TRUE(screen.modal);
  EXPECT_TRUE(screen.topmost);
  EXPECT_EQ(screen.caption, "Velnook Configuration");
  EXPECT_EQ(screen.Text("AvTimeT"), "5");
  EXPECT_EQ(screen.Text("Port1T"), "10001");
  EXPECT_EQ(screen.Text("LogPathT"), "Log\\");
  EXPECT_EQ(screen.ListText("LogLevelT"), "Normal");
  EXPECT_EQ(screen.ListText("ShutNameT"), "Reboot");
  EXPECT_EQ(screen.ShutTypeCode, 2);
  // The check at the end of opening empties the hint; ticking the address
  // kind brings it back.
  EXPECT_EQ(screen.Get("ShutTypeM").caption, "");
  screen.OnChange("DNameT");
  EXPECT_EQ(screen.Get("ShutTypeM").caption, "(Forces Running Applications To Close)");
  EXPECT_TRUE(screen.Checked("StartMinT"));
  EXPECT_TRUE(screen.Checked("RunOnTopT"));
  EXPECT_EQ(screen.Get("IPAddL").caption, "IP Address");
  EXPECT_EQ(screen.Get("IPAddM").caption, "(Either empty or a valid IP address)");
  EXPECT_EQ(screen.Get("DownDelayL").caption, "Download Delay:");
  EXPECT_FALSE(screen.Get("AvTimeT").readOnly);
  EXPECT_EQ(screen.Get("Label6").foreColour, kDarkGreen);
  EXPECT_EQ(screen.Get("Label2").caption, "General");
  EXPECT_TRUE(screen.Get("Label2").bold);
  EXPECT_EQ(screen.Get("ViewL").tooltip,
            "View Velnook log file (It will not be updated while open)");
  EXPECT_EQ(screen.Get("ExitConfig").tooltip,
            "Close Velnook Configuration Screen (The program will be reset if values have been "
            "changed)");
  EXPECT_EQ(screen.Get("DPathT").tooltip, "Path to  download directory");
  EXPECT_TRUE(screen.Get("Save").enabled);
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(state.ScreenCloseCountdown, 600);
}

TEST_F(FrmConfigTest, ASlaveSeesItsOwnLayoutAndAMasterAfterItTheDesignAgain) {
  state.settings.CMain = 2;
  state.settings.IPAdd = "192.168.1.5";
  state.ProgramTitle = "Velnook Slave";
  screen.Open();
  EXPECT_EQ(screen.caption, "Velnook Slave Configuration");
  for (const char* f : {"AvTimeT", "DownLevelT"}) {
    EXPECT_TRUE(screen.Get(f).readOnly);
    EXPECT_TRUE(screen.Get(f).enabled);
    EXPECT_EQ(screen.Get(f).backColour, kButtonFace);
    EXPECT_EQ(screen.Get(f).tooltip, "Not used in Slave mode");
  }
  EXPECT_EQ(screen.Get("DownDelayL").caption, "Lost Comms Delay");
  EXPECT_EQ(screen.Get("DownDelayT").tooltip,
            "Time for communications to be lost before shutdown initiated");
  EXPECT_EQ(screen.Get("IPAddM").caption, "(A valid IP address)");
  screen.OnClick("ExitConfig");

  state.settings.CMain = 1;
  state.ProgramTitle = "Velnook";
  screen.Open();
  EXPECT_EQ(screen.Get("DownDelayL").caption, "Download Delay:");
  EXPECT_FALSE(screen.Get("AvTimeT").readOnly);
}

TEST_F(FrmConfigTest, ShutTypeHintsFollowTheRoleAndTheAddressKind) {
  state.settings.ShutType = 4;
  state.settings.IPAdd = "192.168.1.5";
  screen.Open();
  screen.OnChange("DNameT");
  EXPECT_EQ(screen.Get("ShutTypeM").caption, "(Only Use With A Valid IP Address)");
  screen.Get("DNameT").value = 1;
  screen.OnChange("DNameT");
  EXPECT_EQ(screen.Get("ShutTypeM").caption, "(Only Use With A Valid Domain Name)");
  EXPECT_EQ(screen.Get("IPAddL").caption, "Domain Name");
  EXPECT_EQ(screen.Get("IPAddT").tooltip,
            "Domain name of computer to communicate with (less than 100 characters)");
  EXPECT_EQ(screen.Get("IPAddM").caption, "(Either empty or a valid domain name)");
  for (const char* type : {"Hibernate", "Standby"}) {
    screen.Choose("ShutNameT", type);
    screen.ShowShutTypeHint();
    EXPECT_EQ(screen.Get("ShutTypeM").caption, "");
  }
  state.settings.CMain = 2;
  screen.Choose("ShutNameT", "Monitor");
  screen.ShowShutTypeHint();
  EXPECT_EQ(screen.Get("ShutTypeM").caption, "Not Available In Slave Mode");
  EXPECT_EQ(screen.ShutTypeCode, 4);
}

TEST_F(FrmConfigTest, TickingDomainNameClearsTheMarks) {
  state.settings.LogPath = "Nolog\\";
  state.ConfigChanged = true;
  screen.Open();
  EXPECT_EQ(Status(), "1 Item(s) Highlighted Contain Out Of Range Values");
  EXPECT_TRUE(state.ConfigChanged);  // only a clean check clears it
  EXPECT_EQ(MarkedLabels(), Labels{"LogPathM"});
  screen.Get("DNameT").value = 1;
  screen.OnChange("DNameT");
  EXPECT_TRUE(MarkedLabels().empty());
  EXPECT_EQ(screen.Get("IPAddL").caption, "Domain Name");
}

TEST_F(FrmConfigTest, AcleanOpeningForgetsAnEarlierUnappliedSave) {
  state.ConfigChanged = true;
  screen.Open();
  EXPECT_FALSE(state.ConfigChanged);
}

TEST_F(FrmConfigTest, TheLastNinetySecondsShowAndInputDoesNotRestartThem) {
  screen.Open();
  hs.loop.Advance(510 * 1000);
  EXPECT_EQ(screen.Get("TMessage").caption, "");
  screen.Get("AvTimeT").caption = "6";
  screen.OnChange("AvTimeT");
  hs.loop.Advance(1000);
  EXPECT_EQ(screen.Get("TMessage").caption, "The Configuration Screen will close in 90 sec");
  hs.loop.Advance(89 * 1000);
  EXPECT_EQ(screen.Get("TMessage").caption, "The Configuration Screen will close in 1 sec");
  EXPECT_EQ(state.ScreenCloseCountdown, 0);
}

TEST_F(FrmConfigTest, UnderInhibitShutdownTheCountStartsAtFour) {
  state.StartSwitch = 1;
  screen.Open();
  hs.loop.Advance(1000);
  EXPECT_EQ(screen.Get("TMessage").caption, "The Configuration Screen will close in 4 sec");
}

TEST_F(FrmConfigTest, CloseReinitialisesOnlyAfterASaveOrAnUnusableSetUp) {
  screen.Open();
  screen.OnClick("ExitConfig");
  EXPECT_FALSE(state.ScreenOpen);
  EXPECT_EQ(reinitialisations, 0);
  EXPECT_EQ(hs.windows.unloaded, std::vector<std::string>{"frmConfig"});
  EXPECT_FALSE(screen.Timer1().IsRunning());

  for (bool* flag : {&state.ConfigChanged, &state.PartnerMissing, &state.SetupError}) {
    screen.Open();
    *flag = true;
    screen.OnCloseRequest();  // the frame's close box and Escape do the same
    *flag = false;
    EXPECT_FALSE(state.ScreenOpen);
  }
  EXPECT_EQ(reinitialisations, 3);
}

TEST_F(FrmConfigTest, TheKeyboardGoesThroughTheFieldsInScreenOrder) {
  std::vector<std::pair<int, std::string>> order;
  for (const Control& c : screen.controls)
    if (c.tabIndex >= 0) order.emplace_back(c.tabIndex, c.name);
  std::sort(order.begin(), order.end());
  std::vector<std::string> names;
  for (auto& [i, n] : order) names.push_back(n);
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "AvTimeT",   "DownDelayT", "DownLevelT", "LogLevelT",   "LogNameT",  "LogPathT",
                "LogPathB",  "DPathT",     "DPathB",     "StartDelayT", "RunOnTopT", "StartMinT",
                "ShutTimeT", "ShutNameT",  "DNameT",     "IPAddT",      "Port1T",    "Archive",
                "ViewL",     "Restore",    "Save",       "ExitConfig"}));
}

TEST_F(FrmConfigTest, ArchiveShowsItsResultAndTheCountdownGoesOn) {
  bool timerRanDuringArchive = true;
  FrmConfig s(hs.services, state, {.archiveLog = [&] {
                timerRanDuringArchive = false;
                return LogButtonResult{"", false};  // the user cancelled
              }});
  s.Open();
  s.Get("Status").caption = "old";
  s.OnClick("Archive");
  EXPECT_FALSE(timerRanDuringArchive);
  EXPECT_EQ(s.Get("Status").caption, "");
  EXPECT_TRUE(s.Timer1().IsRunning());
  s.CloseWithoutActions();
}

TEST_F(FrmConfigTest, ClicksWhileALongArchiveRunsStartNoSecondOne) {
  int archives = 0;
  FrmConfig* screen = nullptr;
  bool closeMeanwhile = false;
  // The archive lets window events run; these are the clicks that arrive.
  FrmConfig s(hs.services, state, {.archiveLog = [&] {
                ++archives;
                screen->OnClick("Archive");
                if (closeMeanwhile) screen->OnClick("ExitConfig");
                return LogButtonResult{"Log File Archived", true};
              }});
  screen = &s;
  s.Open();
  s.OnClick("Archive");
  EXPECT_EQ(archives, 1);
  EXPECT_EQ(s.Get("Status").caption, "Log File Archived");
  EXPECT_TRUE(s.Get("Archive").enabled);

  // Closed while the copy ran: the closed screen's countdown stays stopped.
  closeMeanwhile = true;
  s.OnClick("Archive");
  EXPECT_EQ(archives, 2);
  EXPECT_FALSE(s.IsOpen());
  EXPECT_FALSE(s.Timer1().IsRunning());
}

TEST_F(FrmConfigTest, TheFolderChooserFillsThePathFieldsAndTypingStays) {
  state.settings.DPath = "dls\\";
  screen.Open();
  // The close countdown stands still behind the dialog; a long look for the
  // folder must not close the screen under it.
  hs.folders.onShow = [&] {
    EXPECT_FALSE(screen.Timer1().IsRunning());
    hs.loop.Advance(700 * 1000);
  };
  hs.folders.answers = {
      "/srv/T\xC3\xA9l\xC3\xA9"
      "chargements/",
      std::nullopt};
  screen.OnClick("DPathB");
  EXPECT_TRUE(screen.IsOpen());
  EXPECT_TRUE(screen.Timer1().IsRunning());
  EXPECT_EQ(hs.folders.starts.back(), "dls\\");  // opened where the field points
  EXPECT_EQ(hs.folders.titles.back(), "Velnook Download Directory");
  EXPECT_EQ(screen.Text("DPathT"),
            "/srv/T\xC3\xA9l\xC3\xA9"
            "chargements/");
  // Cancelled: the field keeps what it held.
  Set("LogPathT", "Typed\\");
  screen.OnClick("LogPathB");
  EXPECT_EQ(screen.Text("LogPathT"), "Typed\\");
  EXPECT_EQ(hs.folders.starts.back(), "Typed\\");
  screen.CloseWithoutActions();
}

}  // namespace
}  // namespace velnook

// The main job end to end on the headless backend: a real download folder in
// a temporary directory, fake time, and a power service that only records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "app/main_job_fixture.h"

namespace velnook {
namespace {

namespace fs = std::filesystem;

TEST_F(MainJobTest, QuietFolderCountsDownAndPowersOff) {
  Start(Quick());
  EXPECT_EQ(Main().Get("Title").caption,
            "Power Off the computer if download rate is < 2KB/s for over 5 sec");
  EXPECT_EQ(Counter(), "Program Activation In 2s");
  hs.loop.Advance(500);
  EXPECT_EQ(Counter(), "Program Activation In 2s");  // the first work is a second in
  hs.loop.Advance(500);
  EXPECT_EQ(Counter(), "Program Activation In 1s");
  Seconds(1);
  EXPECT_EQ(Counter(), "Program Activation In 0s");
  EXPECT_EQ(State().RunMode, 1);

  // A download resets the count; silence lets it climb.
  Seconds(1);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 1s");
  EXPECT_TRUE(Main().Get("Counter").bold);
  EXPECT_EQ(Main().Get("Counter").foreColour, kOrange);
  EXPECT_EQ(Main().Get("CPULoad").caption, "   0.0KB/s");
  Grow(10 * 1024);
  Seconds(1);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 0s");
  EXPECT_EQ(Main().Get("CPULoad").caption, "  10.0KB/s");
  Seconds(4);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 4s");
  EXPECT_TRUE(hs.power.requests.empty());

  // The fifth quiet second starts the countdown in the same tick.
  Seconds(1);
  EXPECT_EQ(State().RunMode, 2);
  EXPECT_EQ(Counter(), "The Computer Will Power Off In 2s");
  EXPECT_EQ(Main().Get("Counter").foreColour, kWhite);
  EXPECT_EQ(Main().Get("Counter").backColour, kOrange);
  EXPECT_EQ(Main().Get("Reset").caption, "Cancel");
  EXPECT_FALSE(Main().Get("Exit").enabled);
  EXPECT_FALSE(Main().Get("Config").enabled);
  EXPECT_TRUE(Main().topmost);  // a countdown is always on top
  Seconds(1);
  EXPECT_EQ(Counter(), "The Computer Will Power Off In 1s");
  EXPECT_TRUE(hs.power.requests.empty());
  EXPECT_THROW(Seconds(1), ProgramEnded);
  EXPECT_EQ(Counter(), "The Computer Will Power Off In 0s");
  ASSERT_EQ(hs.power.requests.size(), 1u);
  EXPECT_EQ(hs.power.requests[0], PowerAction::PowerOff);
  EXPECT_EQ(hs.power.privilegeChecks, hs.power.requests);
  EXPECT_TRUE(hs.messages.shown.empty());
  EXPECT_EQ(Entries(), (std::vector<std::string>{
                           " Start    , Initialise, Count:   2",
                           " Enter    , Run       , Count:   0",
                           " Enter    , Power Off , Count:   0, Quiet: 5 s",
                           " Start    , Power Off , Count:   3",
                           " Close    , Power Off , Count:   3",
                       }));
}

// A first walk still under way beside the window thread gives its seconds
// no rate: they must not count as quiet ones.
TEST_F(MainJobTest, SecondsBeforeTheFirstWalkIsInAreNotQuiet) {
  struct SlowFirstWalk : TreeTracker {
    int pendingLeft = 3;
    TreeSize Measure(const std::string&, bool, const std::function<void()>&,
                     const std::function<TreeSize()>& fullScan) override {
      if (pendingLeft == 0) return fullScan();
      --pendingLeft;
      return {.pending = true};
    }
  } slow;
  Services services = Replaced(hs.services, {.tracker = &slow});
  ASSERT_TRUE(PrepareWorkFolder(hs.files, Quick()));
  program = std::make_unique<Program>(services, "");
  program->ProcessEntry();
  Seconds(4);  // the start delay; its baseline is in two seconds after it
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 0s");
  Seconds(1);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 1s");
  program.reset();  // before the services it was given
}

TEST_F(MainJobTest, UnfinishedDownloadsAreNamedAndTheNextStartTellsHowTheRunEnded) {
  dir.Write("dls/ubuntu.iso.part", std::string(2150, 'x'));
  dir.Write("dls/video.mp4.crdownload", std::string(1000, 'x'));
  Start(Quick());
  Seconds(7);
  ASSERT_EQ(State().RunMode, 2);
  Seconds(1);  // the walk's answer arrives as an event of its own
  const std::string line = "Unfinished: ubuntu.iso.part (2.1 KB) and 1 more";
  EXPECT_EQ(Main().Get("Note").caption, line);
  EXPECT_TRUE(Main().Get("Note").visible);
  ASSERT_FALSE(hs.notifier.shown.empty());
  EXPECT_EQ(hs.notifier.shown.back().body, "The Computer Will Power Off In 1s\n" + line);
  EXPECT_THROW(Seconds(1), ProgramEnded);
  EXPECT_EQ(hs.power.requests.size(), 1u);  // the action goes ahead all the same
  const auto e = Entries();
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[3], " Unfinish , 2 files   , Count:   1, ubuntu.iso.part (2.1 KB) and 1 more");

  // The next start tells how that run ended, on the window until clicked
  // and in an ordinary notice.
  program.reset();
  program = std::make_unique<Program>(hs.services, "-AllowMulti");
  program->ProcessEntry();
  const std::string report =
      "Last run: Power Off at 03:00, downloads quiet for 5 s, 2 unfinished downloads";
  EXPECT_EQ(Main().Get("Note").caption, report);
  ASSERT_EQ(hs.notifier.told.size(), 1u);
  EXPECT_EQ(hs.notifier.told[0].body, report);
  Main().OnClick("Note");
  EXPECT_FALSE(Main().Get("Note").visible);
}

TEST_F(MainJobTest, EachShutTypeAsksForItsOwnActionOrNone) {
  const std::pair<int, std::vector<PowerAction>> cases[] = {
      {2, {PowerAction::Reboot}}, {3, {PowerAction::Halt}}, {4, {}}};
  for (const auto& [type, expected] : cases) {
    HeadlessServices own(dir.Path() + "/" + std::to_string(type));
    ConfigValues v = Quick();
    v.ShutType = type;
    v.IPAdd = "127.0.0.1";  // a monitoring master must have a slave
    ASSERT_TRUE(PrepareWorkFolder(own.files, v));
    Program p(own.services, "-AllowMulti");
    p.ProcessEntry();
    own.loop.Advance(7000);
    EXPECT_EQ(p.state.RunMode, 2) << type;
    EXPECT_THROW(own.loop.Advance(2000), ProgramEnded) << type;
    EXPECT_EQ(own.power.requests, expected) << type;
    EXPECT_EQ(own.power.allowedAsks, expected) << type;  // asked when monitoring began
    if (type == 4) {
      EXPECT_EQ(p.main.Get("Counter").caption, "Velnook Will Close In 0s");
    }
  }
}

TEST_F(MainJobTest, RefusedPowerOffIsReportedAndNothingHappens) {
  hs.power.privilegeFailure = PowerFailure{PowerStep::Authorise, "Access denied"};
  Start(Quick());
  Seconds(7);
  ASSERT_EQ(State().RunMode, 2);
  EXPECT_THROW(Seconds(2), ProgramEnded);
  EXPECT_TRUE(hs.power.requests.empty());
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  const auto& m = hs.messages.shown[0];
  EXPECT_EQ(m.title, "Velnook Error");
  EXPECT_NE(m.text.find("Error Number: -2147219922 (0x8004062E)"), std::string::npos);
  EXPECT_NE(m.text.find("Can't enable shutdown: You do not have the privileges to shutdown this "
                        "system. [Access denied]"),
            std::string::npos);
  EXPECT_FALSE(hs.windows.trayIconShown);

  // A request the system refuses is not reported as done either.
  HeadlessServices other(dir.Path() + "/o");
  other.power.requestFailure =
      PowerFailure{PowerStep::Request, "Interactive authentication required."};
  Program p(other.services, "-AllowMulti");
  p.ProcessEntry();
  EXPECT_THROW(other.loop.Advance(9000), ProgramEnded);
  ASSERT_EQ(other.messages.shown.size(), 1u);
  EXPECT_NE(other.messages.shown[0].text.find(
                "ShutdownSystem failed: Interactive authentication required."),
            std::string::npos);
}

TEST_F(MainJobTest, RefusalIsKnownWhenMonitoringBeginsAndOncePerInitialisation) {
  Start(Quick());
  const std::string sentence = Main().Get("Title").caption;
  Seconds(1);
  EXPECT_TRUE(hs.power.allowedAsks.empty());  // not during the start delay
  Seconds(1);
  ASSERT_EQ(State().RunMode, 1);
  EXPECT_EQ(hs.power.allowedAsks, std::vector<PowerAction>{PowerAction::PowerOff});
  hs.power.Answer();  // allowed: the window stays as it is
  EXPECT_EQ(Main().Get("Title").caption, sentence);
  hs.power.allowedAnswer = "challenge";
  Main().OnClick("Reset");
  Seconds(2);
  ASSERT_EQ(hs.power.allowedAsks.size(), 2u);
  EXPECT_EQ(Main().Get("Title").caption, sentence);  // nothing until the answer comes
  const int refreshes = hs.windows.refreshes;
  hs.power.Answer();
  EXPECT_GT(hs.windows.refreshes, refreshes);  // drawn at once, not at the next tick
  const Control& title = Main().Get("Title");
  EXPECT_EQ(title.caption, "Power Off Refused By The System (challenge)");
  EXPECT_EQ(title.foreColour, kOrange);
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(Entries().back(), " Refused  , Power Off , Count:   0");

  // Monitoring goes on, and is not asked again within the same run.
  Seconds(2);
  EXPECT_EQ(State().RunMode, 1);
  EXPECT_EQ(hs.power.allowedAsks.size(), 2u);

  // A late answer from before a restart is dropped; the restart clears the
  // warning and asks again once its start delay is over.
  Seconds(1);
  hs.power.pendingAnswers.clear();
  Main().OnClick("Reset");
  EXPECT_EQ(title.caption, sentence);
  EXPECT_EQ(title.foreColour, kDefaultColour);
  Seconds(2);
  ASSERT_EQ(hs.power.allowedAsks.size(), 3u);
  hs.power.allowedAnswer = "no";
  Main().OnClick("Reset");
  hs.power.Answer();
  EXPECT_EQ(title.caption, sentence);
  Seconds(2);
  hs.power.Answer();
  EXPECT_EQ(title.caption, "Power Off Refused By The System (no)");
  int refused = 0;
  for (const auto& e : Entries()) refused += e.rfind(" Refused  , Power Off", 0) == 0;
  EXPECT_EQ(refused, 2);
}

TEST_F(MainJobTest, CountdownNamesWhoBlocksTheActionAndOnlyThose) {
  ConfigValues v = Quick();
  v.ShutType = 5;
  hs.power.inhibitors = {{"shutdown:sleep", "Firefox", "Downloading", "block"},
                         {"sleep", "Music", "Playing", "delay"},
                         {"shutdown", "Backup", "Copying", "block"},
                         {"idle:sleep", "Torrent", "Seeding", "block"}};
  Start(v);
  Seconds(7);
  ASSERT_EQ(State().RunMode, 2);
  hs.power.Answer();
  EXPECT_EQ(State().InhibitorLine, "Blocked by: Firefox (Downloading), Torrent (Seeding)");
  // The notice's next update names them under the countdown line.
  Seconds(1);
  ASSERT_FALSE(hs.notifier.shown.empty());
  EXPECT_NE(
      hs.notifier.shown.back().body.find("\nBlocked by: Firefox (Downloading), Torrent (Seeding)"),
      std::string::npos)
      << hs.notifier.shown.back().body;
  // The line is asked again when the countdown starts, and follows the answer.
  hs.power.inhibitors.resize(1);
  Main().OnClick("Reset");
  EXPECT_EQ(State().InhibitorLine, "");
  Seconds(7);
  hs.power.Answer();
  EXPECT_EQ(State().InhibitorLine, "Blocked by: Firefox (Downloading)");
}

TEST_F(MainJobTest, CancelFromTheButtonTheNoticeOrTheTerminalRestartsTheStartDelay) {
  const std::function<void()> cancels[] = {
      [this] { Main().OnClick("Reset"); }, [this] { hs.notifier.PickCancel(); },
      [this] {
        const int refreshes = hs.windows.refreshes;
        const CancelAnswer a = Main().CancelFromTerminal();
        EXPECT_GT(hs.windows.refreshes, refreshes);  // no window event: drawn anew all the same
        EXPECT_TRUE(a.cancelled);
        EXPECT_EQ(a.text,
                  "Velnook: the countdown to Power Off is cancelled; monitoring starts again.");
        EXPECT_FALSE(Main().CancelFromTerminal().cancelled);  // once is all there is
      }};
  Start(Quick());
  hs.notifier.PickCancel();  // nothing shown yet: nothing to cancel
  CancelAnswer early = Main().CancelFromTerminal();
  EXPECT_FALSE(early.cancelled);
  EXPECT_EQ(early.text, "Velnook is not counting down: nothing to cancel.");
  EXPECT_EQ(Entries(), std::vector<std::string>{" Start    , Initialise, Count:   2"});
  // Asked while a monitoring tick lets events through: still nothing to cancel.
  Seconds(3);
  ASSERT_EQ(State().RunMode, 1);
  std::optional<CancelAnswer> inTick;
  hs.loop.onPendingEvents = [&] { inTick = Main().CancelFromTerminal(); };
  Seconds(1);
  hs.loop.onPendingEvents = nullptr;
  ASSERT_TRUE(inTick);
  EXPECT_EQ(inTick->text, early.text);
  int wait = 3;  // four of the seven seconds have gone already
  for (const auto& cancel : cancels) {
    Seconds(wait);
    wait = 7;
    ASSERT_EQ(State().RunMode, 2);
    ASSERT_TRUE(hs.notifier.open);
    cancel();
    EXPECT_EQ(State().RunMode, 0);
    EXPECT_EQ(Counter(), "Program Activation In 2s");
    EXPECT_EQ(Main().Get("Reset").caption, "Reset");
    EXPECT_TRUE(Main().Get("Exit").enabled);
    EXPECT_EQ(Main().Get("Counter").backColour, kDefaultColour);
    EXPECT_EQ(State().PendingMsg, "<VNC000>");  // no partner: it waits, unsent
    EXPECT_FALSE(hs.notifier.open);
    const auto e = Entries();
    EXPECT_EQ(e[e.size() - 2], " Reset    , Power Off , Count:   1");
    EXPECT_EQ(e.back(), " Start    , Initialise, Count:   2");
  }
  EXPECT_TRUE(hs.power.requests.empty());
  // A notice left over from the cancelled countdown acts no more.
  const size_t entries = Entries().size();
  hs.notifier.open = true;
  State().TestMode = true;
  hs.notifier.PickCancel();
  State().TestMode = false;
  hs.notifier.PickCancel();
  EXPECT_EQ(Entries().size(), entries);

  // Under the box of the countdown's last second the end is under way: a
  // Cancel then would say it worked and never run.
  Seconds(7);
  ASSERT_EQ(State().RunMode, 2);
  State().StartSwitch = 1;  // the simulated end, which shows its box
  CancelAnswer underBox;
  hs.messages.whileOpen = [&] { underBox = Main().CancelFromTerminal(); };
  EXPECT_THROW(Seconds(3), ProgramEnded);
  EXPECT_FALSE(underBox.cancelled);
  EXPECT_EQ(underBox.text, "Velnook is ending its countdown: too late to cancel.");
}

TEST_F(MainJobTest, HibernateRestartsOnlyAfterTheSystemHasWoken) {
  ConfigValues v = Quick();
  v.ShutType = 5;
  Start(v);
  Seconds(9);
  ASSERT_EQ(hs.power.requests, std::vector<PowerAction>{PowerAction::Hibernate});
  EXPECT_EQ(State().RunMode, 2);
  Seconds(30);  // the machine is going to sleep: nothing starts meanwhile
  EXPECT_EQ(State().RunMode, 2);
  EXPECT_EQ(Counter(), "The Computer Will Hibernate In 0s");
  hs.power.Resume();
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(Counter(), "Program Activation In 2s");
  EXPECT_TRUE(Main().Get("Exit").enabled);
  Seconds(2);
  EXPECT_EQ(State().RunMode, 1);
  const auto e = Entries();
  ASSERT_GE(e.size(), 9u);
  EXPECT_EQ(e[2], " Enter    , Hibernate , Count:   0, Quiet: 5 s");
  EXPECT_EQ(e[3], " Start    , Hibernate , Count:   3");
  EXPECT_EQ(e[4], " Start    , Initialise, Count:   2");  // the restart after waking
  EXPECT_EQ(e[5], " Restart  , Hibernate , Count:   2");
}

TEST_F(MainJobTest, TestModeRehearsesWithAMessageAndNeverActs) {
  Start({.StartMin = 1});  // the file's delays: 300 s
  Seconds(5);
  Main().OnClick("TestS");
  EXPECT_TRUE(State().TestMode);
  EXPECT_EQ(Main().caption, "Velnook - Test Mode");
  EXPECT_EQ(Counter(), "Program Activation In 2s");
  int boxesWhileOpen = 0;
  hs.messages.whileOpen = [&] {
    // Monitor ticks that arrive while the box is open start nothing.
    Main().RefreshTick();
    boxesWhileOpen = static_cast<int>(hs.messages.shown.size());
  };
  Seconds(2 + 5);
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  EXPECT_EQ(boxesWhileOpen, 1);
  EXPECT_EQ(hs.messages.shown[0].title, "Velnook Test");
  EXPECT_EQ(hs.messages.shown[0].text, "Test Power Off");
  EXPECT_EQ(hs.messages.shown[0].icon, MsgIcon::None);
  EXPECT_FALSE(State().TestMode);
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(State().TriggerSecs, 300);
  EXPECT_EQ(Main().caption, "Velnook");
  EXPECT_TRUE(hs.power.requests.empty());
  const auto e = Entries();
  ASSERT_EQ(e.size(), 7u);
  EXPECT_EQ(e[2], "*Enter    , Test      , Count:   2");  // every line of the test is marked
  EXPECT_EQ(e[3], "*Start    , Initialise, Count:   2");
  EXPECT_EQ(e[4], "*Enter    , Run       , Count:   0");
  EXPECT_EQ(e[5], "*Simulate , Power Off , Count:   0");
  EXPECT_EQ(e[6], " Start    , Initialise, Count:   2");
}

TEST_F(MainJobTest, InhibitShutdownSimulatesTheEnd) {
  Start({.AvTime = 1, .StartMin = 1}, "-InhibitShutdown");
  EXPECT_EQ(Main().Get("Title").caption,
            "Power Off the computer if download rate is < 2KB/s for over 6 sec");
  Seconds(2 + 6);
  ASSERT_EQ(State().RunMode, 2);
  Seconds(5);
  EXPECT_TRUE(hs.messages.shown.empty());
  ASSERT_FALSE(hs.notifier.shown.empty());  // a rehearsed countdown is announced as well
  EXPECT_EQ(hs.notifier.shown[0].body, "The Computer Will Power Off In 6s");
  bool noticeUnderTheBox = true;
  hs.messages.whileOpen = [&] { noticeUnderTheBox = hs.notifier.open; };
  EXPECT_THROW(Seconds(1), ProgramEnded);
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  EXPECT_EQ(hs.messages.shown[0].title, "Velnook Simulate Power Off");
  EXPECT_EQ(hs.messages.shown[0].text, "Test Real Power Off");
  EXPECT_FALSE(noticeUnderTheBox);  // the countdown is over: no Cancel is offered
  EXPECT_TRUE(hs.power.requests.empty());
}

TEST_F(MainJobTest, TheNoticeFollowsTheCountdownAndClosesAtItsEnd) {
  ConfigValues v = Quick();
  v.ShutTime = 25;
  Start(v);
  Seconds(6);
  EXPECT_TRUE(hs.notifier.shown.empty());
  EXPECT_TRUE(hs.windows.attentionRequests.empty());
  Seconds(1);
  ASSERT_EQ(State().RunMode, 2);
  EXPECT_EQ(hs.windows.attentionRequests, std::vector<const Form*>{&Main()});
  EXPECT_THROW(Seconds(25), ProgramEnded);
  ASSERT_EQ(hs.power.requests.size(), 1u);
  EXPECT_FALSE(hs.notifier.open);
  EXPECT_EQ(hs.notifier.closes, 1);
  std::vector<std::string> bodies;
  for (const Notice& n : hs.notifier.shown) {
    EXPECT_EQ(n.summary, "Velnook");
    bodies.push_back(n.body.substr(n.body.rfind(' ') + 1));
  }
  // Shown at once, then at least every 10 s and in each of the last 10.
  EXPECT_EQ(bodies, (std::vector<std::string>{"25s", "20s", "10s", "9s", "8s", "7s", "6s", "5s",
                                              "4s", "3s", "2s", "1s"}));
  EXPECT_EQ(hs.windows.attentionRequests.size(), 1u);
}

TEST_F(MainJobTest, ARestartDuringAScanWaitsForTheSecondToEnd) {
  Start(Quick());
  Seconds(3);
  ASSERT_EQ(State().RunMode, 1);
  bool clicked = false;
  hs.loop.onPendingEvents = [&] {
    if (clicked) return;
    clicked = true;
    Main().OnClick("Reset");
    EXPECT_EQ(State().RunMode, 1);  // not yet
  };
  Seconds(1);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(State().SecCount, 2);  // the fresh start delay has not been counted
  EXPECT_EQ(Counter(), "Program Activation In 2s");
}

TEST_F(MainJobTest, OpenDialogPausesTheMonitorUntilItTimesOut) {
  Start(Quick());
  int closed = 0;
  Main().closeDialogs = [&] { ++closed; };
  State().ScreenOpen = true;
  State().ScreenCloseCountdown = 3;
  Seconds(5);
  EXPECT_EQ(Counter(), "Program Activation In 2s");
  EXPECT_EQ(closed, 0);
  State().ScreenCloseCountdown = 0;
  Seconds(1);
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(State().ScreenOpen);
  EXPECT_EQ(Counter(), "Program Activation In 2s");  // closing is that second's only work
  Seconds(1);
  EXPECT_EQ(Counter(), "Program Activation In 1s");
}

TEST_F(MainJobTest, MissingDownloadFolderHaltsUntilConfiguredAndEndsWhenLost) {
  dir.Write("dls/.keep", "");
  Start(Quick());
  Seconds(3);
  ASSERT_EQ(State().RunMode, 1);
  fs::remove_all(dir.Path() + "/dls");
  EXPECT_THROW(Seconds(1), ProgramEnded);
  EXPECT_EQ(
      hs.messages.Only(),
      (MessageBoxRequest{MsgIcon::Critical, MsgButtons::Ok, "Velnook Download Directory Error",
                         "The download directory is either missing or\r\ncorrupted or there "
                         "could be a permission problem.\r\nThe program will now terminate."}));

  // Missing at start-up: reported, and the monitor stands still.
  HeadlessServices other(dir.Path() + "/o");
  Program p(other.services, "-AllowMulti");
  p.ProcessEntry();
  ASSERT_EQ(other.messages.shown.size(), 1u);
  EXPECT_EQ(other.messages.shown[0].icon, MsgIcon::Exclamation);
  EXPECT_TRUE(p.state.SetupError);
  const Control& title = p.main.Get("Title");
  EXPECT_EQ(title.caption, "Click Configure To Set Up Velnook");
  EXPECT_TRUE(title.bold);
  EXPECT_EQ(title.foreColour, kOrange);
  EXPECT_EQ(p.main.Get("Counter").caption, "");
  EXPECT_FALSE(p.main.Get("Reset").enabled);
  EXPECT_FALSE(p.main.Get("TestS").enabled);
  EXPECT_TRUE(p.main.Get("Config").enabled);
  EXPECT_TRUE(other.windows.IsShown(p.main));  // not minimised to the tray
  other.loop.Advance(60000);
  EXPECT_EQ(p.state.RunMode, 0);
  EXPECT_TRUE(other.power.requests.empty());
}

TEST_F(MainJobTest, SlaveCountsSilentSecondsAndShowsTheLink) {
  ConfigValues v = Quick();
  v.CMain = 2;
  v.IPAdd = "127.0.0.1";
  v.ShutType = 2;
  Start(v);
  EXPECT_EQ(Main().caption, "Velnook Slave");
  EXPECT_EQ(Main().Get("Title").caption,
            "Reboot the computer if communications are lost for over 5 sec");
  EXPECT_EQ(Main().Get("Exit").tooltip, "Close Velnook Slave");
  Seconds(3);
  EXPECT_EQ(Counter(), "Not connected for the last 1s");
  State().ShutCond = 0;  // a valid message from the master
  Seconds(1);
  EXPECT_EQ(Counter(), "Connected");
  EXPECT_EQ(Main().Get("Counter").foreColour, kGreen);
  Seconds(4);
  EXPECT_EQ(Counter(), "Not connected for the last 4s");
  Seconds(1);
  EXPECT_EQ(Counter(), "The Computer Will Reboot In 2s");
}

TEST_F(MainJobTest, WindowGoesToTheTrayAndComesBackAsTheUserLeftIt) {
  ConfigValues v = Quick();
  v.StartMin = 2;
  v.DownDelay = 60;
  Start(v);
  EXPECT_FALSE(hs.windows.IsShown(Main()));
  EXPECT_TRUE(hs.windows.trayIconShown);
  EXPECT_EQ(hs.windows.trayTip, "Velnook");
  hs.windows.trayDoubleClick();
  EXPECT_TRUE(hs.windows.IsShown(Main()));
  EXPECT_FALSE(hs.windows.trayIconShown);
  EXPECT_EQ(hs.windows.centred, 1);
  EXPECT_TRUE(State().WindowStateOverride);
  Main().OnClick("Reset");  // the user's choice holds over a restart
  EXPECT_TRUE(hs.windows.IsShown(Main()));
  Main().OnStateChanged(WindowState::Minimised);
  EXPECT_FALSE(hs.windows.IsShown(Main()));
  EXPECT_TRUE(hs.windows.trayIconShown);
  EXPECT_FALSE(State().WindowStateOverride);

  // A countdown brings it back, on top; a cancel sends it to the tray again.
  Seconds(2 + 60);
  ASSERT_EQ(State().RunMode, 2);
  EXPECT_TRUE(hs.windows.IsShown(Main()));
  EXPECT_TRUE(Main().topmost);
  EXPECT_FALSE(hs.windows.trayIconShown);
  Main().OnActivate();  // the activation that follows the restore
  EXPECT_TRUE(Main().topmost);
  Main().OnClick("Reset");
  EXPECT_FALSE(hs.windows.IsShown(Main()));
  EXPECT_TRUE(hs.windows.trayIconShown);
  EXPECT_FALSE(Main().topmost);

  // Run On Top holds the window above others on every activation.
  State().settings.RunOnTop = 2;
  Main().OnActivate();
  EXPECT_TRUE(Main().topmost);
}

TEST_F(MainJobTest, ClosingEndsTheProgramAndTakesTheIconAndTheNoticeAway) {
  Start(Quick());
  Seconds(7);
  ASSERT_TRUE(hs.notifier.open);
  hs.windows.AddTrayIcon("Velnook", nullptr);
  try {
    Main().OnCloseRequest();
    FAIL() << "the program went on";
  } catch (const ProgramEnded& e) {
    EXPECT_TRUE(e.trayIconRemoved);
  }
  EXPECT_FALSE(State().tmrRefresh->IsRunning());
  EXPECT_FALSE(hs.notifier.open);
}

}  // namespace
}  // namespace velnook

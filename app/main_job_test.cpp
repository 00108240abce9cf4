// The main job on the headless backend: a real download folder, fake time,
// and a power service that only records.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "app/main_job_fixture.h"

namespace velnook {
namespace {

TEST_F(MainJobTest, QuietFolderCountsDownAndPowersOff) {
  Start(Quick());
  EXPECT_EQ(Main().Get("Title").caption,
            "Power Off the computer if download rate is < 2KB/s for over 5 sec");
  hs.loop.Advance(500);
  EXPECT_EQ(Counter(), "Program Activation In 2s");  // the first work is a second in
  hs.loop.Advance(500);
  EXPECT_EQ(Counter(), "Program Activation In 1s");
  Seconds(2);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 1s");
  Grow(10 * 1024);  // a download resets the count
  Seconds(1);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 0s");
  EXPECT_EQ(Main().Get("CPULoad").caption, "  10.0KB/s");
  Seconds(5);  // the fifth quiet second starts the countdown in the same tick
  EXPECT_EQ(Counter(), "The Computer Will Power Off In 2s");
  EXPECT_EQ(Main().Get("Reset").caption, "Cancel");
  EXPECT_FALSE(Main().Get("Exit").enabled || Main().Get("Config").enabled);
  EXPECT_TRUE(Main().topmost);
  Main().OnStateChanged(WindowState::Minimised);  // back to the tray: the end takes the icon
  Seconds(1);
  EXPECT_TRUE(hs.power.requests.empty());
  EXPECT_THROW(Seconds(1), ProgramEnded);
  EXPECT_FALSE(hs.windows.trayIconShown);
  EXPECT_EQ(hs.power.requests, std::vector<PowerAction>{PowerAction::PowerOff});
  for (const char* entry :
       {" Enter    , Run       , Count:   0", " Enter    , Power Off , Count:   0, Quiet: 5 s",
        " Start    , Power Off , Count:   3", " Close    , Power Off , Count:   3"})
    EXPECT_EQ(LogCount(entry), 1) << entry;
}

// A first walk still under way gives its seconds no rate: not quiet ones.
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
  services = std::make_unique<Services>(hs.With(slow));
  Start(Quick());
  Seconds(4);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 0s");
  Seconds(1);
  EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 1s");
  program.reset();
}

// The countdown names unfinished downloads and who blocks the action.
TEST_F(MainJobTest, TheCountdownNamesWhatWaitsAndTheNextStartTellsHowTheRunEnded) {
  dir.Write("dls/ubuntu.iso.part", std::string(2150, 'x'));
  dir.Write("dls/video.mp4.crdownload", "x");
  hs.power.inhibitors = {{"shutdown:sleep", "Firefox", "Downloading", "block"}};
  Start(Quick());
  Seconds(7);
  hs.power.Answer();
  Seconds(1);  // the walk's answer arrives a second into the countdown
  const std::string line = "Unfinished: ubuntu.iso.part (2.1 KB) and 1 more";
  EXPECT_EQ(Main().Get("Note").caption, line);
  EXPECT_EQ(hs.notifier.shown.back().body,
            "The Computer Will Power Off In 1s\nBlocked by: Firefox (Downloading)\n" + line);
  EXPECT_THROW(Seconds(1), ProgramEnded);
  EXPECT_EQ(LogCount(" Unfinish , 2 files   , Count:   1, " + line.substr(12) + "\r\n"), 1);

  program.reset();
  Start(Quick(), "-AllowMulti");
  const std::string report =
      "Last run: Power Off at 03:00, downloads quiet for 5 s, 2 unfinished downloads";
  EXPECT_EQ(Main().Get("Note").caption, report);
  EXPECT_EQ(hs.notifier.told.at(0).body, report);
  Main().OnClick("Note");
  EXPECT_FALSE(Main().Get("Note").visible);
}

// The end of the countdown for each kind of action, and when it fails.
TEST_F(MainJobTest, TheCountdownEndsInItsActionOrInABoxSayingWhyNot) {
  struct Row {
    int shutType;
    std::optional<PowerFailure> privilege, request;
    std::vector<PowerAction> requested;
    std::string counter, box;
  };
  const Row rows[] = {
      {2, {}, {}, {PowerAction::Reboot}, "The Computer Will Reboot In 0s", ""},
      {4, {}, {}, {}, "Velnook Will Close In 0s", ""},
      {1, PowerFailure{PowerStep::Authorise, "x"}, {}, {}, "", "You do not have the privileges"},
      {1, {}, PowerFailure{PowerStep::Request, "No."}, {PowerAction::PowerOff}, "", "failed: No."},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.shutType);
    HeadlessServices own(dir.Path() + "/" + std::to_string(&r - rows));
    own.power.privilegeFailure = r.privilege;
    own.power.requestFailure = r.request;
    ASSERT_TRUE(PrepareWorkFolder(own.files,
                                  Quick({.ShutType = double(r.shutType), .IPAdd = "127.0.0.1"})));
    Program p(own.services, "-AllowMulti");
    p.ProcessEntry();
    own.loop.Advance(7000);
    EXPECT_EQ(p.state.RunMode, 2);
    EXPECT_THROW(own.loop.Advance(2000), ProgramEnded);
    EXPECT_EQ(own.power.requests, r.requested);
    EXPECT_NE(p.main.Get("Counter").caption.find(r.counter), std::string::npos);
    ASSERT_EQ(own.messages.shown.size(), r.box.empty() ? 0u : 1u);
    EXPECT_NE((r.box.empty() ? "" : own.messages.shown[0].text).find(r.box), std::string::npos);
  }
}

TEST_F(MainJobTest, RefusalIsAskedWhenMonitoringBeginsOncePerInitialisation) {
  Start(Quick());
  const std::string sentence = Main().Get("Title").caption;
  Seconds(2);  // not during the start delay
  EXPECT_EQ(hs.power.allowedAsks, std::vector<PowerAction>{PowerAction::PowerOff});
  hs.power.allowedAnswer = "challenge";
  const int refreshes = hs.windows.refreshes;
  hs.power.Answer();
  EXPECT_GT(hs.windows.refreshes, refreshes);  // drawn at once, not at the next tick
  const Control& title = Main().Get("Title");
  EXPECT_EQ(title.caption, "Power Off Refused By The System (challenge)");
  EXPECT_EQ(LogCount(" Refused  , Power Off , Count:   0"), 1);
  Seconds(3);  // monitoring goes on, not asked again
  EXPECT_EQ(hs.power.allowedAsks.size(), 1u);

  // A restart clears the warning and drops a late answer from before it.
  Main().OnClick("Reset");
  EXPECT_EQ(title.caption, sentence);
  Seconds(2);
  ASSERT_EQ(hs.power.allowedAsks.size(), 2u);
  hs.power.allowedAnswer = "no";
  Main().OnClick("Reset");
  hs.power.Answer();
  EXPECT_EQ(title.caption, sentence);
}

TEST_F(MainJobTest, CancelFromTheButtonTheNoticeOrTheTerminalRestartsTheStartDelay) {
  const std::function<void()> cancels[] = {
      [this] { Main().OnClick("Reset"); }, [this] { hs.notifier.PickCancel(); },
      [this] {
        const int refreshes = hs.windows.refreshes;
        EXPECT_TRUE(Main().CancelFromTerminal().cancelled);
        EXPECT_GT(hs.windows.refreshes, refreshes);  // no window event: drawn anew all the same
        EXPECT_FALSE(Main().CancelFromTerminal().cancelled);  // once is all there is
      }};
  Start(Quick());
  hs.notifier.PickCancel();  // nothing shown yet: nothing to cancel
  EXPECT_FALSE(Main().CancelFromTerminal().cancelled);
  // While a monitoring tick lets events through: nothing to cancel, and a
  // restart waits for the second to end.
  Seconds(3);
  std::optional<CancelAnswer> inTick;
  hs.loop.onPendingEvents = [&] {
    hs.loop.onPendingEvents = nullptr;
    inTick = Main().CancelFromTerminal();
    Main().OnClick("Reset");
    EXPECT_EQ(State().RunMode, 1);
  };
  Seconds(1);
  EXPECT_FALSE(inTick.value().cancelled);
  EXPECT_EQ(Counter(), "Program Activation In 2s");  // the fresh delay has not been counted
  for (const auto& cancel : cancels) {
    Seconds(7);
    ASSERT_EQ(State().RunMode, 2);
    cancel();
    EXPECT_EQ(State().RunMode, 0);
    EXPECT_TRUE(Main().Get("Exit").enabled);
    EXPECT_EQ(State().PendingMsg, "<VNC000>");  // no partner: it waits, unsent
    EXPECT_FALSE(hs.notifier.open);
  }
  EXPECT_EQ(LogCount(" Reset    , Power Off , Count:   1"), 3);
  // A notice left over from the cancelled countdown acts no more.
  const int resets = LogCount(" Reset ");
  hs.notifier.open = true;
  hs.notifier.PickCancel();
  EXPECT_EQ(LogCount(" Reset "), resets);

  // Under the box of the countdown's last second the end is under way.
  Seconds(7);
  State().StartSwitch = 1;  // the simulated end, which shows its box
  bool cancelledUnderBox = true;
  hs.messages.whileOpen = [&] {
    cancelledUnderBox = Main().CancelFromTerminal().cancelled || hs.notifier.open;
  };
  EXPECT_THROW(Seconds(3), ProgramEnded);
  EXPECT_FALSE(cancelledUnderBox);  // nor is a Cancel offered on the notice
  EXPECT_EQ(hs.messages.Only().title, "Velnook Simulate Power Off");
  EXPECT_TRUE(hs.power.requests.empty());
}

TEST_F(MainJobTest, HibernateRestartsOnlyAfterTheSystemHasWoken) {
  Start(Quick({.ShutType = 5}));
  Seconds(9);
  ASSERT_EQ(hs.power.requests, std::vector<PowerAction>{PowerAction::Hibernate});
  Seconds(30);  // going to sleep: nothing starts meanwhile
  EXPECT_EQ(State().RunMode, 2);
  hs.power.Resume();
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(LogCount(" Restart  , Hibernate , Count:   2"), 1);
}

TEST_F(MainJobTest, TestModeRehearsesWithAMessageAndNeverActs) {
  Start({.StartMin = 1});  // the file's delays: 300 s
  Seconds(5);
  Main().OnClick("TestS");
  EXPECT_EQ(Main().caption, "Velnook - Test Mode");
  int boxesWhileOpen = 0;
  hs.messages.whileOpen = [&] {
    Main().RefreshTick();  // ticks under the box start nothing
    boxesWhileOpen = static_cast<int>(hs.messages.shown.size());
  };
  Seconds(2 + 5);
  EXPECT_EQ(boxesWhileOpen, 1);
  EXPECT_EQ(hs.messages.Only(),
            (MessageBoxRequest{MsgIcon::None, MsgButtons::Ok, "Velnook Test", "Test Power Off"}));
  EXPECT_EQ(State().RunMode, 0);
  EXPECT_EQ(State().TriggerSecs, 300);
  EXPECT_EQ(Main().caption, "Velnook");
  EXPECT_TRUE(hs.power.requests.empty());
  EXPECT_EQ(LogCount("*Simulate , Power Off , Count:   0"), 1);  // the test's lines are marked
  EXPECT_EQ(LogCount(" Start    , Initialise, Count:   2"), 2);
}

TEST_F(MainJobTest, TheNoticeFollowsTheCountdownAndClosesAtItsEnd) {
  Start(Quick({.ShutTime = 25}));
  Seconds(6);
  EXPECT_TRUE(hs.notifier.shown.empty() && hs.windows.attentionRequests.empty());
  Seconds(1);
  EXPECT_EQ(hs.windows.attentionRequests, std::vector<const Form*>{&Main()});
  EXPECT_THROW(Seconds(25), ProgramEnded);
  EXPECT_EQ(hs.notifier.closes, 1);
  std::vector<std::string> bodies;
  for (const Notice& n : hs.notifier.shown) bodies.push_back(n.body.substr(n.body.rfind(' ') + 1));
  // Shown at once, then at least every 10 s and in each of the last 10.
  EXPECT_EQ(bodies, (std::vector<std::string>{"25s", "20s", "10s", "9s", "8s", "7s", "6s", "5s",
                                              "4s", "3s", "2s", "1s"}));
}

TEST_F(MainJobTest, MissingDownloadFolderHaltsUntilConfiguredAndEndsWhenLost) {
  Start(Quick());
  Seconds(3);
  std::filesystem::remove_all(dir.Path() + "/dls");
  EXPECT_THROW(Seconds(1), ProgramEnded);
  EXPECT_EQ(hs.messages.Only().title, "Velnook Download Directory Error");

  // Missing at start-up: reported, and the monitor stands still.
  HeadlessServices other(dir.Path() + "/o");
  Program p(other.services, "-AllowMulti");
  p.ProcessEntry();
  EXPECT_EQ(p.main.Get("Title").caption, "Click Configure To Set Up Velnook");
  EXPECT_TRUE(p.main.Get("Title").bold && p.main.Get("Title").foreColour == kOrange);
  EXPECT_FALSE(p.main.Get("Reset").enabled || p.main.Get("TestS").enabled);
  EXPECT_TRUE(other.windows.IsShown(p.main));  // not minimised to the tray
  other.loop.Advance(60000);
  EXPECT_EQ(p.state.RunMode, 0);
}

TEST_F(MainJobTest, WindowGoesToTheTrayAndComesBackAsTheUserLeftIt) {
  ConfigValues v = Quick({.DownDelay = 60});
  v.StartMin = 2;
  Start(v);
  EXPECT_TRUE(hs.windows.trayIconShown && !hs.windows.IsShown(Main()));
  hs.windows.trayDoubleClick();
  EXPECT_FALSE(hs.windows.trayIconShown || !hs.windows.IsShown(Main()));
  EXPECT_EQ(hs.windows.centrings, 1);
  Main().OnClick("Reset");  // the user's choice holds over a restart
  EXPECT_TRUE(hs.windows.IsShown(Main()));
  Main().OnStateChanged(WindowState::Minimised);
  EXPECT_FALSE(hs.windows.IsShown(Main()));

  // A countdown brings it back, on top; a cancel sends it to the tray again.
  Seconds(2 + 60);
  EXPECT_TRUE(hs.windows.IsShown(Main()));
  Main().OnActivate();
  EXPECT_TRUE(Main().topmost);
  Main().OnClick("Reset");
  EXPECT_FALSE(hs.windows.IsShown(Main()));
  EXPECT_FALSE(Main().topmost);
  State().settings.RunOnTop = 2;  // Run On Top holds it above others on every activation
  Main().OnActivate();
  EXPECT_TRUE(Main().topmost);
}

TEST_F(MainJobTest, ClosingEndsTheProgramAndTakesTheIconAndTheNoticeAway) {
  Start(Quick());
  Seconds(7);
  hs.windows.AddTrayIcon("Velnook", nullptr);
  EXPECT_THROW(Main().OnCloseRequest(), ProgramEnded);
  EXPECT_FALSE(hs.windows.trayIconShown || hs.notifier.open);
  EXPECT_FALSE(State().tmrRefresh->IsRunning());
}

}  // namespace
}  // namespace velnook

#include "config/check_screen_values.h"

#include "config/screen_test_support.h"

namespace velnook {
namespace {

class CheckTest : public ScreenTest {
 protected:
  CheckTest() { screen.Open(); }
  // Puts text into the field, checks, and puts the default back.
  std::pair<int, Labels> Try(const std::string& field, const std::string& text) {
    const std::string old = screen.Text(field);
    Set(field, text);
    const int n = Check();
    Labels marked = MarkedLabels();
    Set(field, old);
    return {n, marked};
  }
  void ExpectPasses(const std::string& field, std::initializer_list<std::string> texts) {
    for (const auto& t : texts) EXPECT_EQ(Try(field, t).first, 0) << field << " " << t;
  }
  void ExpectBreaksOne(const std::string& field, const std::string& label,
                       std::initializer_list<std::string> texts) {
    for (const auto& t : texts) {
      auto [n, marked] = Try(field, t);
      EXPECT_EQ(n, 1) << field << " " << t;
      EXPECT_EQ(marked, Labels{label}) << field << " " << t;
    }
  }
};

TEST_F(CheckTest, TheDefaultsOnAMasterWithAnEmptyAddressPass) {
  EXPECT_EQ(Check(), 0);
  EXPECT_TRUE(MarkedLabels().empty());
  EXPECT_EQ(screen.Get("AvTimeM").foreColour, kDarkGreen);
  EXPECT_FALSE(screen.Get("AvTimeM").bold);
}

TEST_F(CheckTest, NumbersAreJudgedAsTheyStandOnBothSidesOfEachLimit) {
  ExpectPasses("AvTimeT", {"1", "30", "12abc", "1e1", " 3 0"});
  ExpectBreaksOne("AvTimeT", "AvTimeM", {"0.9", "30.5", "31", "abc", "", "1e999"});
  ExpectPasses("DownDelayT", {"5", "600"});
  ExpectBreaksOne("DownDelayT", "DownDelayM", {"4.9", "600.1"});
  ExpectPasses("DownLevelT", {"2", "50", "2.5"});
  ExpectBreaksOne("DownLevelT", "DownLevelM", {"1.99", "51"});
  ExpectPasses("Port1T", {"1024", "65535", "&HFFFF"});
  ExpectBreaksOne("Port1T", "Port1M", {"1023", "65536"});
  ExpectPasses("ShutTimeT", {"2", "600"});
  ExpectBreaksOne("ShutTimeT", "ShutTimeM", {"1", "601"});
  ExpectPasses("StartDelayT", {"1", "3600"});
  ExpectBreaksOne("StartDelayT", "StartDelayM", {"0", "3601", "-1"});
}

TEST_F(CheckTest, LengthsAndPaths) {
  ExpectPasses("LogNameT", {"abcd.log", std::string(20, 'a')});
  ExpectBreaksOne("LogNameT", "LogNameM", {"abc.log", std::string(21, 'a')});
  ExpectPasses("DPathT", {"C:\\x\\", std::string(99, 'd') + "\\"});
  ExpectBreaksOne("DPathT", "DPathM", {"C:\\", "C:\\x", std::string(100, 'd') + "\\"});
  // The log folder must exist, relative to the current directory.
  ExpectPasses("LogPathT", {"Log\\", dir.Path() + "/Log\\"});
  ExpectBreaksOne("LogPathT", "LogPathM", {"Nolog\\", "Log"});
  // Too long and missing: two rules, one label.
  auto [n, marked] = Try("LogPathT", std::string(100, 'l') + "\\");
  EXPECT_EQ(n, 2);
  EXPECT_EQ(marked, Labels{"LogPathM"});
  std::tie(n, marked) = Try("LogPathT", "");
  EXPECT_EQ(n, 3);  // too short, missing, no "\" at the end
}

TEST_F(CheckTest, AListWithNoChoiceKeepsThePreviousCode) {
  screen.Get("ShutNameT").value = -1;
  screen.Get("LogLevelT").value = -1;
  EXPECT_EQ(Check(), 0);  // the codes of the loaded settings still stand
  EXPECT_EQ(screen.ShutTypeCode, 1);
  EXPECT_EQ(screen.LogLevelCode, 2);
  screen.ShutTypeCode = 0;
  screen.LogLevelCode = 0;
  EXPECT_EQ(Check(), 2);
  EXPECT_EQ(MarkedLabels(), (Labels{"LogLevelM", "ShutTypeM"}));
  screen.Choose("LogLevelT", "Full");
  screen.Choose("ShutNameT", "Standby");
  EXPECT_EQ(Check(), 0);
  EXPECT_EQ(screen.ShutTypeCode, 6);
  EXPECT_EQ(screen.LogLevelCode, 3);
}

TEST_F(CheckTest, TheAddressMustFitItsKind) {
  ExpectPasses("IPAddT", {"", "192.168.1.5", "010.001.001.001"});
  ExpectBreaksOne("IPAddT", "IPAddM", {"abc", "192.168.1.0", "192.168.1", "192.168.1.5 "});
  screen.Get("DNameT").value = 1;
  ExpectPasses("IPAddT", {"", "host.example", "192.168.0", std::string(100, 'h')});
  ExpectBreaksOne("IPAddT", "IPAddM", {"192.168.1.5", std::string(101, 'h')});
}

TEST_F(CheckTest, AMasterThatOnlyMonitorsNeedsAPartner) {
  screen.Choose("ShutNameT", "Monitor");
  Set("IPAddT", "abc");
  EXPECT_EQ(Check(), 3);  // the address itself, and the action's two rules
  EXPECT_EQ(MarkedLabels(), (Labels{"ShutTypeM", "IPAddM"}));
  EXPECT_EQ(screen.Get("IPAddM").caption, "Must Be A Valid IP Address");
  Set("IPAddT", "");
  EXPECT_EQ(Check(), 2);
  Set("IPAddT", "192.168.1.20");
  EXPECT_EQ(Check(), 0);
  EXPECT_EQ(screen.Get("IPAddM").caption, "(Either empty or a valid IP address)");

  screen.Get("DNameT").value = 1;
  Set("IPAddT", "");
  EXPECT_EQ(Check(), 2);
  EXPECT_EQ(screen.Get("IPAddM").caption, "Must Be A Valid Domain Name");
  Set("IPAddT", "192.168.1.20");
  EXPECT_EQ(Check(), 3);
  Set("IPAddT", "partner.example");
  EXPECT_EQ(Check(), 0);
}

TEST_F(CheckTest, ASlaveNeedsAPartnerMayNotMonitorAndShowsAPortInUse) {
  state.settings.CMain = 2;
  EXPECT_EQ(Check(), 1);  // no address
  EXPECT_EQ(MarkedLabels(), Labels{"IPAddM"});
  EXPECT_EQ(screen.Get("IPAddM").caption, "(A valid IP address)");
  screen.Choose("ShutNameT", "Monitor");
  EXPECT_EQ(Check(), 2);
  EXPECT_EQ(screen.Get("ShutTypeM").caption, "Invalid Option In Slave Mode");
  Set("IPAddT", "192.168.1.5");
  screen.Choose("ShutNameT", "Reboot");
  EXPECT_EQ(Check(), 0);
  screen.Get("DNameT").value = 1;
  Set("IPAddT", "");
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(screen.Get("IPAddM").caption, "(a valid domain name)");
  Set("IPAddT", "master.example");
  state.SetupError = true;
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(MarkedLabels(), Labels{"Port1M"});
}

TEST_F(CheckTest, MarksLastUntilTheNextRunAndNoValueOrFileChanges) {
  Set("AvTimeT", "31");
  Set("LogNameT", "abc");
  const FieldSnapshot before = screen.TakeSnapshot();
  EXPECT_EQ(Check(), 2);
  EXPECT_EQ(screen.TakeSnapshot(), before);
  EXPECT_FALSE(hs.files.FileExists(kConfigFilePath));
  Set("AvTimeT", "30");
  EXPECT_EQ(Check(), 1);
  EXPECT_EQ(MarkedLabels(), Labels{"LogNameM"});
}

TEST_F(CheckTest, InvalidDataBoxOnlyWithTheSwitchAndOncePerRun) {
  Set("AvTimeT", "31");
  Check();
  EXPECT_TRUE(hs.messages.shown.empty());
  state.StartSwitch = 2;
  Check();
  ASSERT_EQ(hs.messages.shown.size(), 1u);
  EXPECT_EQ(hs.messages.shown[0].title, "Velnook Data Error");
  EXPECT_EQ(hs.messages.shown[0].text, "Invalid Data");
  EXPECT_EQ(hs.messages.shown[0].icon, MsgIcon::None);
  Set("AvTimeT", "30");
  Check();
  EXPECT_EQ(hs.messages.shown.size(), 1u);
}

}  // namespace
}  // namespace velnook

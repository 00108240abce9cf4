// The login manager backend against python-dbusmock's logind on a private
// bus that this test starts: the real login manager is never reached.
#include "platform/linux/login1_power.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/dbus_mock_fixture.h"

namespace velnook {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

class Login1PowerTest : public DBusMockTest {
 protected:
  void SetUp() override {
    DBusMockTest::SetUp();
    StartMock("logind", kService);
  }
  void AddMethod(const char* name, const char* in, const char* out, const QString& code) {
    MockCall(kService, kPath, "AddMethod", {kManager, name, in, out, code});
  }
  // The answer to AskAllowed, which must never come inside the call.
  static std::string AnswerTo(Login1Power& power, PowerAction action) {
    std::string answer = "none";
    power.AskAllowed(action, [&](std::string a) { answer = std::move(a); });
    EXPECT_EQ(answer, "none");
    PumpUntil([&] { return answer != "none"; }, 10000);
    return answer;
  }
};

TEST_F(Login1PowerTest, AllowedRequestsReachTheLoginManagerAndAskAllowedAnswersLater) {
  Login1Power power(*conn_);
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::PowerOff));
  EXPECT_FALSE(power.Request(PowerAction::PowerOff));
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::Reboot));
  for (auto a : {PowerAction::Reboot, PowerAction::Hibernate, PowerAction::Suspend})
    EXPECT_FALSE(power.Request(a));
  EXPECT_EQ(AnswerTo(power, PowerAction::PowerOff), "yes");
  AddMethod("CanSuspend", "", "s", "ret = 'challenge'");
  EXPECT_EQ(AnswerTo(power, PowerAction::Suspend), "challenge");
  QStringList names;
  for (const auto& call : MockCalls(kService, kPath)) names << call.first;
  EXPECT_EQ(names, (QStringList{"CanPowerOff", "PowerOff", "CanReboot", "Reboot", "Hibernate",
                                "Suspend", "CanPowerOff", "CanSuspend"}));
}

TEST_F(Login1PowerTest, RefusalsAndErrorsBecomeTheirSteps) {
  Login1Power power(*conn_);
  const auto expect = [](std::optional<PowerFailure> f, PowerStep step, const std::string& text) {
    ASSERT_TRUE(f);
    EXPECT_EQ(f->step, step);
    EXPECT_NE(f->systemText.find(text), std::string::npos) << f->systemText;
  };
  // This logind knows no Halt at all: a D-Bus error of the privilege step.
  expect(power.EnablePrivilege(PowerAction::Halt), PowerStep::Authorise, "CanHalt");
  for (const char* answer : {"no", "challenge", "na"}) {
    AddMethod("CanHalt", "", "s", QString("ret = '%1'").arg(answer));
    expect(power.EnablePrivilege(PowerAction::Halt), PowerStep::Authorise,
           std::string("The login manager answers \"") + answer + "\" to CanHalt");
  }
  AddMethod("PowerOff", "b", "",
            "raise dbus.exceptions.DBusException('Operation not permitted', "
            "name='org.freedesktop.DBus.Error.AccessDenied')");
  expect(power.Request(PowerAction::PowerOff), PowerStep::Request,
         "org.freedesktop.DBus.Error.AccessDenied: Operation not permitted");

  StopMock();
  expect(power.EnablePrivilege(PowerAction::PowerOff), PowerStep::FindAuthority, "");
  EXPECT_EQ(AnswerTo(power, PowerAction::PowerOff), "no login manager");
  Login1Power unconnected(QDBusConnection::connectToBus("unix:path=/nonexistent", "nowhere"));
  EXPECT_EQ(AnswerTo(unconnected, PowerAction::PowerOff), "no login manager");
}

TEST_F(Login1PowerTest, InhibitorsAreListedAsTheManagerHoldsThem) {
  Login1Power power(*conn_);
  // The lock lasts as long as its descriptor stays open here.
  auto m = QDBusMessage::createMethodCall(kService, kPath, kManager, "Inhibit");
  m << "shutdown:sleep"
    << "Firefox"
    << "Downloading"
    << "block";
  ASSERT_EQ(conn_->call(m).type(), QDBusMessage::ReplyMessage);
  std::string listed;
  const auto list = [&] {
    listed = "none";
    power.ListInhibitors([&](std::vector<Inhibitor> l) {
      listed.clear();
      for (const Inhibitor& i : l)
        listed += i.what + "|" + i.who + "|" + i.why + "|" + i.mode + ";";
    });
    PumpUntil([&] { return listed != "none"; }, 10000);
    return listed;
  };
  EXPECT_EQ(list(), "shutdown:sleep|Firefox|Downloading|block;");
  // A manager that answers nonsense lists nobody rather than crashing.
  AddMethod("ListInhibitors", "", "s", "ret = 'nonsense'");
  EXPECT_EQ(list(), "");
}

TEST_F(Login1PowerTest, ResumeIsReportedAfterTheSleepNotBeforeAndOnce) {
  Login1Power power(*conn_);
  int resumed = 0;
  power.CallWhenResumed([&] { ++resumed; });
  for (int expected : {0, 1, 1}) {
    MockCall(kService, kPath, "EmitSignal",
             {kManager, "PrepareForSleep", "b", QVariant::fromValue(QVariantList{expected == 0})});
    Pump(300);
    EXPECT_EQ(resumed, expected);
  }
}

}  // namespace
}  // namespace velnook

int main(int argc, char** argv) {
  // Nothing in this process may find the real system bus.
  setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/velnook-test", 1);
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

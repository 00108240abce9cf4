// The login manager backend against python-dbusmock's logind on a private
// bus that this test starts: the real login manager is never reached.
#include "platform/linux/login1_power.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/linux/dbus_mock_fixture.h"

namespace velnook {
namespace {

constexpr const char* kManager = "org.freedesktop.login1.Manager";

class Login1PowerTest : public DBusMockTest {
 protected:
  void SetUp() override {
    DBusMockTest::SetUp();
    StartMock("logind", "org.freedesktop.login1");
  }
  QDBusMessage MockCall(const char* method, const QVariantList& args = {}) {
    return DBusMockTest::MockCall("org.freedesktop.login1", "/org/freedesktop/login1", method,
                                  args);
  }
  // Names of the login manager's methods called so far.
  QStringList Calls() {
    QStringList names;
    for (const MockedCall& c : MockCalls("org.freedesktop.login1", "/org/freedesktop/login1"))
      names << c.method;
    return names;
  }
  void Emit(bool start) {
    MockCall("EmitSignal",
             {kManager, "PrepareForSleep", "b", QVariant::fromValue(QVariantList{start})});
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  // The answer to AskAllowed, which must never come inside the call.
  std::string AnswerTo(Login1Power& power, PowerAction action) {
    std::vector<std::string> answers;
    power.AskAllowed(action, [&](std::string a) { answers.push_back(std::move(a)); });
    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(PumpUntil([&] { return !answers.empty(); }, 10000));
    return answers.empty() ? "" : answers[0];
  }
};

TEST_F(Login1PowerTest, AllowedRequestsReachTheLoginManagerAndAskAllowedAnswersLater) {
  Login1Power power(*conn_);
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::PowerOff));
  EXPECT_FALSE(power.Request(PowerAction::PowerOff));
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::Reboot));
  EXPECT_FALSE(power.Request(PowerAction::Reboot));
  EXPECT_FALSE(power.Request(PowerAction::Hibernate));
  EXPECT_FALSE(power.Request(PowerAction::Suspend));
  EXPECT_EQ(AnswerTo(power, PowerAction::PowerOff), "yes");
  MockCall("AddMethod", {kManager, "CanSuspend", "", "s", "ret = 'challenge'"});
  EXPECT_EQ(AnswerTo(power, PowerAction::Suspend), "challenge");
  EXPECT_EQ(Calls(), (QStringList{"CanPowerOff", "PowerOff", "CanReboot", "Reboot", "Hibernate",
                                  "Suspend", "CanPowerOff", "CanSuspend"}));
}

TEST_F(Login1PowerTest, RefusalsAndErrorsBecomeTheirSteps) {
  Login1Power power(*conn_);
  // This logind knows no Halt at all: a D-Bus error of the privilege step.
  auto unknown = power.EnablePrivilege(PowerAction::Halt);
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->step, PowerStep::Authorise);
  EXPECT_NE(unknown->systemText.find("CanHalt"), std::string::npos);

  for (const char* answer : {"no", "challenge", "na"}) {
    MockCall("AddMethod", {kManager, "CanHalt", "", "s", QString("ret = '%1'").arg(answer)});
    auto refused = power.EnablePrivilege(PowerAction::Halt);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->step, PowerStep::Authorise);
    EXPECT_EQ(refused->systemText,
              std::string("The login manager answers \"") + answer + "\" to CanHalt");
  }

  MockCall("AddMethod", {kManager, "PowerOff", "b", "",
                         "raise dbus.exceptions.DBusException('Operation not permitted', "
                         "name='org.freedesktop.DBus.Error.AccessDenied')"});
  auto failed = power.Request(PowerAction::PowerOff);
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->step, PowerStep::Request);
  EXPECT_EQ(failed->systemText, "org.freedesktop.DBus.Error.AccessDenied: Operation not permitted");

  mock_.kill();
  mock_.waitForFinished();
  auto missing = power.EnablePrivilege(PowerAction::PowerOff);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->step, PowerStep::FindAuthority);
  EXPECT_EQ(AnswerTo(power, PowerAction::PowerOff), "no login manager");
  Login1Power unconnected(QDBusConnection::connectToBus("unix:path=/nonexistent", "nowhere"));
  EXPECT_EQ(AnswerTo(unconnected, PowerAction::PowerOff), "no login manager");
}

TEST_F(Login1PowerTest, InhibitorsAreListedAsTheManagerHoldsThem) {
  Login1Power power(*conn_);
  // The lock lasts as long as its descriptor stays open here.
  auto m = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                          kManager, "Inhibit");
  m << "shutdown:sleep"
    << "Firefox"
    << "Downloading"
    << "block";
  const QDBusMessage held = conn_->call(m);
  ASSERT_EQ(held.type(), QDBusMessage::ReplyMessage);

  std::vector<Inhibitor> list;
  const auto listed = [&] {
    bool answered = false;
    list = {{"x", "y", "z", "block"}};
    power.ListInhibitors([&](std::vector<Inhibitor> l) {
      list = std::move(l);
      answered = true;
    });
    return PumpUntil([&] { return answered; }, 10000);
  };
  ASSERT_TRUE(listed());
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].what + "|" + list[0].who + "|" + list[0].why + "|" + list[0].mode,
            "shutdown:sleep|Firefox|Downloading|block");

  // A manager that answers nonsense lists nobody rather than crashing.
  MockCall("AddMethod", {kManager, "ListInhibitors", "", "s", "ret = 'nonsense'"});
  ASSERT_TRUE(listed());
  EXPECT_TRUE(list.empty());
}

TEST_F(Login1PowerTest, ResumeIsReportedAfterTheSleepNotBefore) {
  Login1Power power(*conn_);
  int resumed = 0;
  power.CallWhenResumed([&] { ++resumed; });
  Emit(true);
  EXPECT_EQ(resumed, 0);
  Emit(false);
  EXPECT_EQ(resumed, 1);
  Emit(false);  // once only
  EXPECT_EQ(resumed, 1);
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

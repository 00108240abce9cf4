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
};

TEST_F(Login1PowerTest, AllowedRequestsReachTheLoginManagerNotInteractively) {
  Login1Power power(*conn_);
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::PowerOff));
  EXPECT_FALSE(power.Request(PowerAction::PowerOff));
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::Reboot));
  EXPECT_FALSE(power.Request(PowerAction::Reboot));
  EXPECT_FALSE(power.Request(PowerAction::Hibernate));
  EXPECT_FALSE(power.Request(PowerAction::Suspend));
  EXPECT_EQ(Calls(), (QStringList{"CanPowerOff", "PowerOff", "CanReboot", "Reboot", "Hibernate",
                                  "Suspend"}));
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

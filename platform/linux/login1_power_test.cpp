// The login manager backend against python-dbusmock's logind on a private
// bus that this test starts: the real login manager is never reached.
#include "platform/linux/login1_power.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdlib>

namespace velnook {
namespace {

constexpr const char* kMock = "org.freedesktop.DBus.Mock";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

class Login1PowerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    ASSERT_TRUE(bus_.waitForReadyRead(10000));
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    ASSERT_TRUE(address_.startsWith("unix:"));
    conn_ =
        std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, "velnook-test"));
    ASSERT_TRUE(conn_->isConnected());
    StartMock();
  }
  void TearDown() override {
    mock_.kill();
    mock_.waitForFinished();
    conn_.reset();
    QDBusConnection::disconnectFromBus("velnook-test");
    bus_.kill();
    bus_.waitForFinished();
  }
  void StartMock() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    mock_.setProcessEnvironment(env);
    mock_.start("/usr/bin/python3", {"-m", "dbusmock", "--session", "--template", "logind"});
    QElapsedTimer t;
    t.start();
    while (!conn_->interface()->isServiceRegistered("org.freedesktop.login1") &&
           t.elapsed() < 20000)
      mock_.waitForFinished(100);
    ASSERT_TRUE(conn_->interface()->isServiceRegistered("org.freedesktop.login1"));
  }
  QDBusMessage MockCall(const char* method, const QVariantList& args = {}) {
    auto m = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                            kMock, method);
    m.setArguments(args);
    return conn_->call(m);
  }
  // Names of the login manager's methods called so far.
  QStringList Calls() {
    QStringList names;
    QDBusMessage reply = MockCall("GetCalls");
    const QDBusArgument arg = reply.arguments().value(0).value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
      qulonglong time;
      QString name;
      arg.beginStructure();
      arg >> time >> name;
      arg.endStructure();
      names << name;
    }
    arg.endArray();
    return names;
  }
  void Emit(bool start) {
    MockCall("EmitSignal",
             {kManager, "PrepareForSleep", "b", QVariant::fromValue(QVariantList{start})});
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }

  QProcess bus_;
  QProcess mock_;
  QString address_;
  std::unique_ptr<QDBusConnection> conn_;
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

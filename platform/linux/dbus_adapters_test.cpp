// The D-Bus backends against python-dbusmock's logind and notification
// daemon on a private bus that this test starts: nothing they do reaches the
// machine's own login manager or notification server.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdlib>
#include <functional>
#include <memory>

#include "platform/linux/dbus_notifier.h"
#include "platform/linux/login1_power.h"

namespace velnook {
namespace {

class DBusMockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    ASSERT_TRUE(bus_.waitForReadyRead(10000));
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    conn_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, "test"));
    ASSERT_TRUE(conn_->isConnected());
  }
  void TearDown() override {
    StopMock();
    conn_.reset();
    QDBusConnection::disconnectFromBus("test");  // the next test's bus takes the name
    bus_.kill();
    bus_.waitForFinished();
  }
  // Starts the template and waits until it owns service.
  void StartMock(const char* templateName, const char* service, const QString& parameters = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    mock_.setProcessEnvironment(env);
    QStringList args{"-m", "dbusmock", "--session", "--template", templateName};
    if (!parameters.isEmpty()) args << "--parameters" << parameters;
    mock_.start("/usr/bin/python3", args);
    ASSERT_TRUE(PumpUntil([&] { return conn_->interface()->isServiceRegistered(service); }, 20000));
  }
  void StopMock() {
    mock_.kill();
    mock_.waitForFinished();
  }
  QDBusMessage MockCall(const char* service, const char* path, const char* method,
                        const QVariantList& args = {}) {
    auto m = QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Mock", method);
    m.setArguments(args);
    return conn_->call(m);
  }
  std::vector<std::pair<QString, QVariantList>> MockCalls(const char* service, const char* path) {
    std::vector<std::pair<QString, QVariantList>> calls;
    const auto arg =
        MockCall(service, path, "GetCalls").arguments().value(0).value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
      qulonglong time;
      auto& [method, args] = calls.emplace_back();
      arg.beginStructure();
      arg >> time >> method;
      arg.beginArray();
      for (QDBusVariant v; !arg.atEnd(); args << v.variant()) arg >> v;
      arg.endArray();
      arg.endStructure();
    }
    arg.endArray();
    return calls;
  }
  static bool PumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }

  QProcess bus_, mock_;
  QString address_;
  std::unique_ptr<QDBusConnection> conn_;
};

constexpr const char* kLogin = "org.freedesktop.login1";
constexpr const char* kLoginPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

// Requests reach the manager and AskAllowed answers later (never inside the
// call); inhibitors are listed; a resume is told once; refusals and errors
// become their steps.
TEST_F(DBusMockTest, Login1Power) {
  StartMock("logind", kLogin);
  Login1Power power(*conn_);
  const auto addMethod = [&](const char* name, const char* in, const char* out,
                             const QString& code) {
    MockCall(kLogin, kLoginPath, "AddMethod", {kManager, name, in, out, code});
  };
  const auto answerTo = [&](PowerAction action) {
    std::string answer = "none";
    power.AskAllowed(action, [&](std::string a) { answer = std::move(a); });
    EXPECT_EQ(answer, "none");
    PumpUntil([&] { return answer != "none"; }, 10000);
    return answer;
  };
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::PowerOff));
  EXPECT_FALSE(power.Request(PowerAction::PowerOff));
  EXPECT_FALSE(power.EnablePrivilege(PowerAction::Reboot));
  for (auto a : {PowerAction::Reboot, PowerAction::Hibernate, PowerAction::Suspend})
    EXPECT_FALSE(power.Request(a));
  EXPECT_EQ(answerTo(PowerAction::PowerOff), "yes");
  addMethod("CanSuspend", "", "s", "ret = 'challenge'");
  EXPECT_EQ(answerTo(PowerAction::Suspend), "challenge");
  QStringList names;
  for (const auto& call : MockCalls(kLogin, kLoginPath)) names << call.first;
  EXPECT_EQ(names, (QStringList{"CanPowerOff", "PowerOff", "CanReboot", "Reboot", "Hibernate",
                                "Suspend", "CanPowerOff", "CanSuspend"}));

  auto m = QDBusMessage::createMethodCall(kLogin, kLoginPath, kManager, "Inhibit");
  m.setArguments({"shutdown:sleep", "Firefox", "Downloading", "block"});
  const QDBusMessage held = conn_->call(m);
  ASSERT_EQ(held.type(), QDBusMessage::ReplyMessage);
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
  addMethod("ListInhibitors", "", "s", "ret = 'nonsense'");
  EXPECT_EQ(list(), "") << "nonsense lists nobody";

  int resumed = 0;
  power.CallWhenResumed([&] { ++resumed; });
  for (int expected : {0, 1, 1}) {
    MockCall(kLogin, kLoginPath, "EmitSignal",
             {kManager, "PrepareForSleep", "b", QVariant::fromValue(QVariantList{expected == 0})});
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(resumed, expected);
  }

  const auto expect = [](std::optional<PowerFailure> f, PowerStep step, const std::string& text) {
    ASSERT_TRUE(f);
    EXPECT_EQ(f->step, step);
    EXPECT_NE(f->systemText.find(text), std::string::npos) << f->systemText;
  };
  // This logind knows no Halt at all: a D-Bus error of the privilege step.
  expect(power.EnablePrivilege(PowerAction::Halt), PowerStep::Authorise, "CanHalt");
  for (const char* answer : {"no", "challenge", "na"}) {
    addMethod("CanHalt", "", "s", QString("ret = '%1'").arg(answer));
    expect(power.EnablePrivilege(PowerAction::Halt), PowerStep::Authorise,
           std::string("The login manager answers \"") + answer + "\" to CanHalt");
  }
  addMethod("PowerOff", "b", "",
            "raise dbus.exceptions.DBusException('Operation not permitted', "
            "name='org.freedesktop.DBus.Error.AccessDenied')");
  expect(power.Request(PowerAction::PowerOff), PowerStep::Request,
         "org.freedesktop.DBus.Error.AccessDenied: Operation not permitted");
  StopMock();
  expect(power.EnablePrivilege(PowerAction::PowerOff), PowerStep::FindAuthority, "");
  EXPECT_EQ(answerTo(PowerAction::PowerOff), "no login manager");
}

constexpr const char* kNotifications = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";

class DBusNotifierTest : public DBusMockTest {
 protected:
  // The (replaces_id, body) of every Notify, and the ids closed, in order.
  QStringList Sent() {
    QStringList out;
    for (const auto& [method, args] : MockCalls(kNotifications, kNotificationsPath)) {
      if (method == "Notify")
        out << QString("Notify %1 %2").arg(args[1].toUInt()).arg(args[4].toString());
      if (method == "CloseNotification") out << QString("Close %1").arg(args[0].toUInt());
    }
    return out;
  }
  void Emit(const char* signal, const char* signature, const QVariantList& args) {
    MockCall(kNotifications, kNotificationsPath, "EmitSignal",
             {kNotifications, signal, signature, QVariant::fromValue(args)});
    PumpUntil([] { return false; }, 200);
  }
};

// Steps, then what the server was sent. "up [parameters]" starts the server,
// "sent N" waits for N calls, "wait" for answers, "asked" for capabilities;
// "act ID KEY N" is ActionInvoked (then N Cancels ran), "closed ID REASON".
TEST_F(DBusNotifierTest, Scenarios) {
  const std::pair<QString, QString> rows[] = {
      // Updates before the server answers are sent once, in place.
      {"up|show In 60s|show In 59s|show In 58s|sent 2|show In 57s|sent 3",
       "Notify 0 In 60s|Notify 1 In 58s|Notify 1 In 57s"},
      // A close before the answer closes what the answer names, once.
      {"up|show In 60s|close|sent 2|close|flush|wait", "Notify 0 In 60s|Close 1"},
      // Cancel acts only for the notice shown now.
      {"up|show In 60s|show In 59s|sent 2|act 7 cancel 0|act 1 default 0|act 1 cancel 1|close|"
       "act 1 cancel 1",
       "Notify 0 In 60s|Notify 1 In 59s|Close 1"},
      // Dismissed stays away until the next countdown; expired comes back.
      {"up|show In 60s|show In 59s|sent 2|closed 1 2|show In 50s|close|show In 30s|sent 3|wait|"
       "closed 2 1|show In 20s|sent 4",
       "Notify 0 In 60s|Notify 1 In 59s|Notify 0 In 30s|Notify 0 In 20s"},
      // The body is escaped for a server that reads markup, and only for one.
      {R"(up {"capabilities": "body body-markup actions"}|asked|show Up & <Down>|sent 1)",
       "Notify 0 Up &amp; &lt;Down&gt;"},
      {R"(up {"capabilities": "body actions"}|asked|show Up & <Down>|sent 1)",
       "Notify 0 Up & <Down>"},
      // Without a server nothing fails, and a later one is used.
      {"show In 60s|wait|show In 59s|close|flush|wait|up|show In 10s|sent 1", "Notify 0 In 10s"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first.toStdString());
    std::unique_ptr<DBusNotifier> notifier;
    int cancels = 0, redraws = 0;
    for (const QString& step : row.first.split('|')) {
      const QString verb = step.section(' ', 0, 0), rest = step.section(' ', 1);
      const QStringList words = rest.split(' ');
      if (verb == "up") {
        StartMock("notification_daemon", kNotifications, rest);
        continue;
      }
      if (!notifier) {
        notifier = std::make_unique<DBusNotifier>(*conn_, [&] { ++redraws; });
        notifier->SetCancelHandler([&] { ++cancels; });
      }
      if (verb == "show") notifier->Show({"Velnook", rest.toStdString()});
      if (verb == "close") notifier->Close();
      if (verb == "flush") notifier->FlushBeforeExit();
      ASSERT_TRUE(verb != "sent" ||
                  PumpUntil([&] { return Sent().size() == words[0].toInt(); }, 5000));
      ASSERT_TRUE(
          verb != "asked" ||
          PumpUntil([&] { return !MockCalls(kNotifications, kNotificationsPath).empty(); }, 5000));
      if (verb == "wait" || verb == "asked") PumpUntil([] { return false; }, 300);
      if (verb == "closed")
        Emit("NotificationClosed", "uu", {words[0].toUInt(), words[1].toUInt()});
      if (verb == "act") {
        Emit("ActionInvoked", "us", {words[0].toUInt(), words[1]});
        EXPECT_EQ(cancels, words[2].toInt()) << step.toStdString();
      }
    }
    EXPECT_EQ(Sent().join('|').toStdString(), row.second.toStdString());
    EXPECT_EQ(redraws, cancels);
    notifier.reset();
    StopMock();
    PumpUntil([&] { return !conn_->interface()->isServiceRegistered(kNotifications); }, 5000);
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

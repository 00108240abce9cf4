// The notification backend against python-dbusmock's notification daemon on
// a private bus that this test starts.
#include "platform/linux/dbus_notifier.h"

#include <gtest/gtest.h>

#include "platform/linux/dbus_mock_fixture.h"

namespace velnook {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

class DBusNotifierTest : public DBusMockTest {
 protected:
  // The (replaces_id, body) of every Notify, and the ids closed, in order.
  QStringList Sent() {
    QStringList out;
    for (const auto& [method, args] : MockCalls(kService, kPath)) {
      if (method == "Notify")
        out << QString("Notify %1 %2").arg(args[1].toUInt()).arg(args[4].toString());
      if (method == "CloseNotification") out << QString("Close %1").arg(args[0].toUInt());
    }
    return out;
  }
  void Emit(const char* signal, const char* signature, const QVariantList& args) {
    MockCall(kService, kPath, "EmitSignal",
             {kService, signal, signature, QVariant::fromValue(args)});
    Pump(200);
  }
};

// Each scenario is steps, then what the server was sent, split by "|". "up [parameters]"
// starts the server (the notifier is made at the first other step), "show
// TEXT", "close", "flush", "sent N" waits until the server has had N calls,
// "wait" lets answers arrive, "asked" waits for the capabilities answer; "act
// ID KEY N" is the server's ActionInvoked, after which N Cancels have run,
// "closed ID REASON" its NotificationClosed (2: dismissed, 1: expired).
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
        StartMock("notification_daemon", kService, rest);
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
      if (verb == "wait") Pump(300);
      if (verb == "asked") {
        ASSERT_TRUE(PumpUntil([&] { return !MockCalls(kService, kPath).empty(); }, 5000));
        Pump(200);
      }
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
    PumpUntil([&] { return !conn_->interface()->isServiceRegistered(kService); }, 5000);
  }

  DBusNotifier offline(QDBusConnection::connectToBus("unix:path=/nonexistent/velnook", "none"),
                       nullptr);
  offline.Show({"Velnook", "In 60s"});
  offline.Close();
  offline.FlushBeforeExit();
}

}  // namespace
}  // namespace velnook

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

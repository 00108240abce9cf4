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
  void StartServer(const char* parameters = nullptr) {
    StartMock("notification_daemon", kService, parameters);
  }
  std::vector<MockedCall> Calls() { return MockCalls(kService, kPath); }
  // The (replaces_id, body) of every Notify, and the ids closed, in order.
  QStringList Summary() {
    QStringList out;
    for (const MockedCall& c : Calls()) {
      if (c.method == "Notify")
        out << QString("Notify %1 %2")
                   .arg(c.args.value(1).toUInt())
                   .arg(c.args.value(4).toString());
      if (c.method == "CloseNotification") out << QString("Close %1").arg(c.args.value(0).toUInt());
    }
    return out;
  }
  void Emit(const char* signal, const char* signature, const QVariantList& args) {
    MockCall(kService, kPath, "EmitSignal",
             {kService, signal, signature, QVariant::fromValue(args)});
    PumpUntil([] { return false; }, 200);
  }
};

TEST_F(DBusNotifierTest, UpdatesBeforeTheServerAnswersAreSentOnceInPlace) {
  StartServer();
  DBusNotifier notifier(*conn_, nullptr);
  notifier.Show({"Velnook", "In 60s"});
  notifier.Show({"Velnook", "In 59s"});
  notifier.Show({"Velnook", "In 58s"});
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 2; }, 5000));
  notifier.Show({"Velnook", "In 57s"});
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 3; }, 5000));
  EXPECT_EQ(Summary(), (QStringList{"Notify 0 In 60s", "Notify 1 In 58s", "Notify 1 In 57s"}));
}

TEST_F(DBusNotifierTest, ACloseBeforeTheServerAnswersClosesWhatItNames) {
  StartServer();
  DBusNotifier notifier(*conn_, nullptr);
  notifier.Show({"Velnook", "In 60s"});
  notifier.Close();
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 2; }, 5000));
  EXPECT_EQ(Summary(), (QStringList{"Notify 0 In 60s", "Close 1"}));
  notifier.Close();  // nothing left to close
  notifier.FlushBeforeExit();
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(Summary().size(), 2);
}

TEST_F(DBusNotifierTest, CancelActsOnlyForTheNoticeShownNow) {
  StartServer();
  int cancels = 0, redraws = 0;
  DBusNotifier notifier(*conn_, [&] { ++redraws; });
  notifier.SetCancelHandler([&] { ++cancels; });
  notifier.Show({"Velnook", "In 60s"});
  notifier.Show({"Velnook", "In 59s"});
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 2; }, 5000));
  Emit("ActionInvoked", "us", {7u, "cancel"});  // someone else's notification
  Emit("ActionInvoked", "us", {1u, "default"});
  EXPECT_EQ(cancels, 0);
  Emit("ActionInvoked", "us", {1u, "cancel"});
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(redraws, 1);
  notifier.Close();
  Emit("ActionInvoked", "us", {1u, "cancel"});  // a server late with a closed one
  EXPECT_EQ(cancels, 1);
}

TEST_F(DBusNotifierTest, DismissedStaysAwayUntilTheNextCountdownExpiredComesBack) {
  StartServer();
  DBusNotifier notifier(*conn_, nullptr);
  notifier.Show({"Velnook", "In 60s"});
  notifier.Show({"Velnook", "In 59s"});
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 2; }, 5000));
  Emit("NotificationClosed", "uu", {1u, 2u});  // the user dismissed it
  notifier.Show({"Velnook", "In 50s"});
  notifier.Close();
  notifier.Show({"Velnook", "In 30s"});  // a new countdown
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 3; }, 5000));
  PumpUntil([] { return false; }, 200);        // the answer naming it arrives
  Emit("NotificationClosed", "uu", {2u, 1u});  // expired after all
  notifier.Show({"Velnook", "In 20s"});
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 4; }, 5000));
  EXPECT_EQ(Summary(), (QStringList{"Notify 0 In 60s", "Notify 1 In 59s", "Notify 0 In 30s",
                                    "Notify 0 In 20s"}));
}

TEST_F(DBusNotifierTest, TheBodyIsEscapedForAServerThatReadsMarkup) {
  const struct {
    const char* capabilities;
    QString body;
  } cases[] = {
      {R"({"capabilities": "body body-markup actions"})", "Notify 0 Up &amp; &lt;Down&gt;"},
      {R"({"capabilities": "body actions"})", "Notify 0 Up & <Down>"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.capabilities);
    StartServer(c.capabilities);
    DBusNotifier notifier(*conn_, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !Calls().empty(); }, 5000));  // it asks at once
    PumpUntil([] { return false; }, 200);                            // the answer arrives
    notifier.Show({"Velnook", "Up & <Down>"});
    ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 1; }, 5000));
    EXPECT_EQ(Summary().value(0), c.body);
    mock_.kill();
    mock_.waitForFinished();
    PumpUntil([&] { return !conn_->interface()->isServiceRegistered(kService); }, 5000);
  }
}

TEST_F(DBusNotifierTest, WithoutAServerNothingFailsAndALaterOneIsUsed) {
  DBusNotifier notifier(*conn_, nullptr);
  notifier.Show({"Velnook", "In 60s"});
  PumpUntil([] { return false; }, 300);
  notifier.Show({"Velnook", "In 59s"});
  notifier.Close();
  notifier.FlushBeforeExit();
  PumpUntil([] { return false; }, 300);
  StartServer();
  notifier.Show({"Velnook", "In 10s"});
  ASSERT_TRUE(PumpUntil([&] { return Summary().size() == 1; }, 5000));
  EXPECT_EQ(Summary(), QStringList{"Notify 0 In 10s"});

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

#pragma once
// A private D-Bus daemon with a python-dbusmock template on it, for the
// tests of the D-Bus backends: nothing they do reaches the machine's own
// login manager or notification server.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

namespace velnook {

struct MockedCall {
  QString method;
  QVariantList args;
};

class DBusMockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    ASSERT_TRUE(bus_.waitForReadyRead(10000));
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    ASSERT_TRUE(address_.startsWith("unix:"));
    conn_ =
        std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, "velnook-test"));
    ASSERT_TRUE(conn_->isConnected());
  }
  void TearDown() override {
    mock_.kill();
    mock_.waitForFinished();
    conn_.reset();
    QDBusConnection::disconnectFromBus("velnook-test");
    bus_.kill();
    bus_.waitForFinished();
  }
  // Starts the template on the private bus, with its parameters (JSON) when
  // given, and waits until it owns service.
  void StartMock(const char* templateName, const char* service, const char* parameters = nullptr) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    mock_.setProcessEnvironment(env);
    QStringList args{"-m", "dbusmock", "--session", "--template", templateName};
    if (parameters) args << "--parameters" << parameters;
    mock_.start("/usr/bin/python3", args);
    QElapsedTimer t;
    t.start();
    while (!conn_->interface()->isServiceRegistered(service) && t.elapsed() < 20000)
      mock_.waitForFinished(100);
    ASSERT_TRUE(conn_->interface()->isServiceRegistered(service));
  }
  QDBusMessage MockCall(const char* service, const char* path, const char* method,
                        const QVariantList& args = {}) {
    auto m = QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Mock", method);
    m.setArguments(args);
    return conn_->call(m);
  }
  // The mocked object's methods called so far, in order.
  std::vector<MockedCall> MockCalls(const char* service, const char* path) {
    std::vector<MockedCall> calls;
    const QDBusArgument arg =
        MockCall(service, path, "GetCalls").arguments().value(0).value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd()) {
      qulonglong time;
      MockedCall call;
      arg.beginStructure();
      arg >> time >> call.method;
      arg.beginArray();
      while (!arg.atEnd()) {
        QDBusVariant v;
        arg >> v;
        call.args << v.variant();
      }
      arg.endArray();
      arg.endStructure();
      calls.push_back(call);
    }
    arg.endArray();
    return calls;
  }
  // Runs the event loop until done() holds or ms have passed.
  static bool PumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }

  QProcess bus_;
  QProcess mock_;
  QString address_;
  std::unique_ptr<QDBusConnection> conn_;
};

}  // namespace velnook

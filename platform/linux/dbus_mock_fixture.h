#pragma once
// A private D-Bus daemon with a python-dbusmock template on it: nothing the
// D-Bus backends do in tests reaches the machine's own services.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <functional>
#include <memory>

namespace velnook {

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
    QDBusConnection::disconnectFromBus("test");
    bus_.kill();
    bus_.waitForFinished();
  }
  // Starts the template (with its JSON parameters) and waits until it owns service.
  void StartMock(const char* templateName, const char* service, const QString& parameters = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    mock_.setProcessEnvironment(env);
    QStringList args{"-m", "dbusmock", "--session", "--template", templateName};
    if (!parameters.isEmpty()) args << "--parameters" << parameters;
    mock_.start("/usr/bin/python3", args);
    QElapsedTimer t;
    t.start();
    while (!conn_->interface()->isServiceRegistered(service) && t.elapsed() < 20000)
      mock_.waitForFinished(100);
    ASSERT_TRUE(conn_->interface()->isServiceRegistered(service));
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
  // The mocked object's methods called so far, in order, with their arguments.
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
  // Runs the event loop until done() holds or ms have passed.
  static bool PumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
  }
  static void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
  }

  QProcess bus_, mock_;
  QString address_;
  std::unique_ptr<QDBusConnection> conn_;
};

}  // namespace velnook

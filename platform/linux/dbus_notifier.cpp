#include "platform/linux/dbus_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include "platform/linux/qt_text.h"

namespace velnook {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kCancelKey = "cancel";
constexpr uint kDismissedByUser = 2;
constexpr int kFlushTimeoutMs = 1000;

// A server that reads the body as markup would drop a program's name such
// as "<ask>" or cut "Up & Down" short.
QString AsMarkup(const QString& text) {
  QString out;
  for (const QChar c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

}  // namespace

DBusNotifier::DBusNotifier(QDBusConnection bus, std::function<void()> afterEvent)
    : bus_(std::move(bus)), afterEvent_(std::move(afterEvent)) {
  if (!bus_.isConnected()) return;
  bus_.connect(kService, kPath, kInterface, "ActionInvoked", this,
               SLOT(ActionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kInterface, "NotificationClosed", this,
               SLOT(NotificationClosed(uint, uint)));
  AskCapabilities();
}

void DBusNotifier::AskCapabilities() {
  if (!bus_.isConnected() || askingCapabilities_) return;
  askingCapabilities_ = true;
  auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(QDBusMessage::createMethodCall(
                                               kService, kPath, kInterface, "GetCapabilities")),
                                           this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* c) {
    QDBusPendingReply<QStringList> reply = *c;
    c->deleteLater();
    askingCapabilities_ = false;
    if (!reply.isError()) bodyMarkup_ = reply.value().contains("body-markup");
  });
}

void DBusNotifier::SetCancelHandler(std::function<void()> onCancel) {
  onCancel_ = std::move(onCancel);
}

void DBusNotifier::Show(const Notice& notice) {
  if (!bus_.isConnected() || dismissed_) return;
  wanted_ = true;
  latest_ = notice;
  if (pending_) {
    stale_ = true;  // sent once the server has named the notice
    return;
  }
  SendNotify();
}

void DBusNotifier::SendNotify() {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  QVariantMap hints;
  hints["urgency"] = QVariant::fromValue(uchar{2});  // critical: stays until acted on
  hints["desktop-entry"] = QString("org.velnook.Velnook");
  const QString body = bodyMarkup_ ? AsMarkup(ToQt(latest_.body)) : ToQt(latest_.body);
  call << QString("Velnook") << id_ << QString("org.velnook.Velnook") << ToQt(latest_.summary)
       << body << QStringList{kCancelKey, "Cancel"} << hints << 0;
  stale_ = false;
  pending_ = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(pending_, &QDBusPendingCallWatcher::finished, this, &DBusNotifier::NotifyAnswered);
}

void DBusNotifier::Tell(const Notice& notice) {
  if (!bus_.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  QVariantMap hints;
  hints["urgency"] = QVariant::fromValue(uchar{1});  // normal: the server lets it go
  hints["desktop-entry"] = QString("org.velnook.Velnook");
  call << QString("Velnook") << uint{0} << QString("org.velnook.Velnook") << ToQt(notice.summary)
       << ToQt(notice.body) << QStringList{} << hints << -1;
  bus_.send(call);  // the answer names a notice this program never changes
}

void DBusNotifier::NotifyAnswered(QDBusPendingCallWatcher* call) {
  QDBusPendingReply<uint> reply = *call;
  call->deleteLater();
  pending_ = nullptr;
  // No server (or it went away): the next update tries again, perhaps with
  // another server.
  id_ = reply.isError() ? 0 : reply.value();
  if (reply.isError()) AskCapabilities();
  if (!wanted_) {
    SendClose();
  } else if (stale_) {
    SendNotify();
  }
}

void DBusNotifier::Close() {
  AskCapabilities();  // for the next countdown: the server may have changed by then
  wanted_ = false;
  dismissed_ = false;
  stale_ = false;
  if (!pending_) SendClose();  // otherwise once the answer names it
}

void DBusNotifier::SendClose() {
  if (id_ == 0) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, "CloseNotification");
  call << id_;
  bus_.send(call);
  closeSent_ = true;
  id_ = 0;
}

void DBusNotifier::FlushBeforeExit() {
  if (!closeSent_) return;
  // Messages leave in order: once the bus has answered this, the close has
  // gone out before it.
  QDBusMessage ask = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "GetId");
  bus_.call(ask, QDBus::Block, kFlushTimeoutMs);
  closeSent_ = false;
}

void DBusNotifier::ActionInvoked(uint id, const QString& key) {
  if (id == 0 || id != id_ || !wanted_ || key != kCancelKey || !onCancel_) return;
  onCancel_();
  if (afterEvent_) afterEvent_();
}

void DBusNotifier::NotificationClosed(uint id, uint reason) {
  if (id == 0 || id != id_) return;
  id_ = 0;
  // Dismissed by the user: the window still counts down, and popping the
  // notice up again every second would only get in the way. Expired or
  // taken away by the server: the next update shows it again.
  if (wanted_ && reason == kDismissedByUser) dismissed_ = true;
}

}  // namespace velnook

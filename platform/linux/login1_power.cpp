#include "platform/linux/login1_power.h"

#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace velnook {
namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr int kCallTimeoutMs = 10000;

const char* MethodOf(PowerAction action) {
  switch (action) {
    case PowerAction::PowerOff:
      return "PowerOff";
    case PowerAction::Reboot:
      return "Reboot";
    case PowerAction::Halt:
      return "Halt";
    case PowerAction::Hibernate:
      return "Hibernate";
    case PowerAction::Suspend:
      return "Suspend";
  }
  return "";
}

std::string ErrorText(const QDBusError& e) {
  return (e.name() + ": " + e.message()).toStdString();
}

bool IsMissingService(const QDBusError& e) {
  return e.type() == QDBusError::ServiceUnknown || e.type() == QDBusError::NoServer ||
         e.type() == QDBusError::Disconnected || e.type() == QDBusError::UnknownObject ||
         e.type() == QDBusError::UnknownInterface;
}

}  // namespace

Login1Power::Login1Power(QDBusConnection bus) : bus_(std::move(bus)) {
  sleepStartTimeout_.setSingleShot(true);
  connect(&sleepStartTimeout_, &QTimer::timeout, this, [this] {
    if (!sleeping_) Resumed();
  });
}

std::optional<PowerFailure> Login1Power::EnablePrivilege(PowerAction action) {
  if (!bus_.isConnected())
    return PowerFailure{PowerStep::FindAuthority, ErrorText(bus_.lastError())};
  const QString method = QString("Can") + MethodOf(action);
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kManager, method);
  QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    QDBusError e(reply);
    return PowerFailure{IsMissingService(e) ? PowerStep::FindAuthority : PowerStep::Authorise,
                        ErrorText(e)};
  }
  const QString answer = reply.arguments().value(0).toString();
  if (answer == "yes") return std::nullopt;
  return PowerFailure{PowerStep::Authorise,
                      ("The login manager answers \"" + answer + "\" to " + method).toStdString()};
}

std::optional<PowerFailure> Login1Power::Request(PowerAction action) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kManager, MethodOf(action));
  call << false;  // not interactive: nobody may be there to answer
  QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage)
    return PowerFailure{PowerStep::Request, ErrorText(QDBusError(reply))};
  return std::nullopt;
}

void Login1Power::CallLater(const QString& method,
                            std::function<void(const QDBusMessage&)> onReply) {
  if (!bus_.isConnected()) {
    // Still later, as the caller expects, never inside its own call.
    QTimer::singleShot(0, this, [onReply, text = bus_.lastError().message()] {
      onReply(QDBusMessage::createError(QDBusError::Disconnected, text));
    });
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kManager, method);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [onReply](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    onReply(w->reply());
  });
}

void Login1Power::AskAllowed(PowerAction action, std::function<void(std::string)> onAnswer) {
  CallLater(QString("Can") + MethodOf(action), [onAnswer](const QDBusMessage& reply) {
    if (reply.type() == QDBusMessage::ErrorMessage) {
      // Short enough for the window's title line; the log has the rest.
      onAnswer(IsMissingService(QDBusError(reply)) ? "no login manager" : "no answer");
      return;
    }
    onAnswer(reply.arguments().value(0).toString().toStdString());
  });
}

void Login1Power::ListInhibitors(std::function<void(std::vector<Inhibitor>)> onList) {
  CallLater("ListInhibitors", [onList](const QDBusMessage& reply) {
    std::vector<Inhibitor> list;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.signature() == "a(ssssuu)") {
      // a(ssssuu): what, who, why, mode, uid, pid.
      const QDBusArgument arg = reply.arguments().value(0).value<QDBusArgument>();
      arg.beginArray();
      while (!arg.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        arg.beginStructure();
        arg >> what >> who >> why >> mode >> uid >> pid;
        arg.endStructure();
        list.push_back(
            {what.toStdString(), who.toStdString(), why.toStdString(), mode.toStdString()});
      }
      arg.endArray();
    }
    onList(std::move(list));
  });
}

void Login1Power::CallWhenResumed(std::function<void()> onResumed) {
  if (!subscribed_)
    subscribed_ = bus_.connect(kService, kPath, kManager, "PrepareForSleep", this,
                               SLOT(PrepareForSleep(bool)));
  onResumed_ = std::move(onResumed);
  sleeping_ = false;
  sleepStartTimeout_.start(kSleepStartTimeoutMs);
}

void Login1Power::PrepareForSleep(bool start) {
  if (!onResumed_) return;
  if (start) {
    sleeping_ = true;
    sleepStartTimeout_.stop();
    return;
  }
  Resumed();
}

void Login1Power::Resumed() {
  sleepStartTimeout_.stop();
  sleeping_ = false;
  auto f = std::move(onResumed_);
  onResumed_ = nullptr;
  if (f) f();
}

}  // namespace velnook

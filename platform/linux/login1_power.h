#pragma once
// Power requests to the login manager (org.freedesktop.login1) over D-Bus.
// Its Can* answers stand in for the shutdown privilege: only "yes" lets a
// request go ahead, since the program must not wait for a password prompt.

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <functional>

#include "platform/power.h"

namespace velnook {

class Login1Power : public QObject, public PowerService {
  Q_OBJECT

 public:
  // bus: the system bus in the program; a private bus in tests.
  explicit Login1Power(QDBusConnection bus);

  std::optional<PowerFailure> EnablePrivilege(PowerAction action) override;
  std::optional<PowerFailure> Request(PowerAction action) override;
  void CallWhenResumed(std::function<void()> onResumed) override;
  void AskAllowed(PowerAction action, std::function<void(std::string)> onAnswer) override;
  void ListInhibitors(std::function<void(std::vector<Inhibitor>)> onList) override;

  // Without a PrepareForSleep(true) within this time the sleep is taken as
  // refused, and the program goes on as after a wake-up.
  static constexpr int kSleepStartTimeoutMs = 60000;

 private slots:
  void PrepareForSleep(bool start);

 private:
  void Resumed();
  // Calls the manager's method without waiting; onReply runs on the window
  // thread with the reply or the error.
  void CallLater(const QString& method, std::function<void(const QDBusMessage&)> onReply);
  QDBusConnection bus_;
  bool subscribed_ = false;
  bool sleeping_ = false;
  std::function<void()> onResumed_;
  QTimer sleepStartTimeout_;
};

}  // namespace velnook

#pragma once
// Desktop notifications through the session's notification server
// (org.freedesktop.Notifications) over D-Bus. Every call is asynchronous,
// so a slow or missing server never holds up the window thread.

#include <QDBusConnection>
#include <QObject>
#include <functional>

#include "platform/desktop_notifier.h"

class QDBusPendingCallWatcher;

namespace velnook {

class DBusNotifier : public QObject, public DesktopNotifier {
  Q_OBJECT

 public:
  // bus: the session bus in the program, a private bus in tests.
  // afterEvent runs after the Cancel handler, to redraw the windows.
  DBusNotifier(QDBusConnection bus, std::function<void()> afterEvent);

  void Show(const Notice& notice) override;
  void Close() override;
  void Tell(const Notice& notice) override;
  void SetCancelHandler(std::function<void()> onCancel) override;

  // Makes sure a Close has left the process, for the moment before the
  // program ends, when the event loop will not run again. Waits at most a
  // second.
  void FlushBeforeExit();

 private slots:
  void ActionInvoked(uint id, const QString& key);
  void NotificationClosed(uint id, uint reason);

 private:
  void SendNotify();
  void NotifyAnswered(QDBusPendingCallWatcher* call);
  void SendClose();
  // Learns, in the background, whether the server reads the body as markup.
  void AskCapabilities();

  QDBusConnection bus_;
  std::function<void()> afterEvent_;
  std::function<void()> onCancel_;
  Notice latest_;
  uint id_ = 0;                                 // the server's number for our notice; 0: none
  bool wanted_ = false;                         // between Show and Close
  bool dismissed_ = false;                      // by the user, until Close
  QDBusPendingCallWatcher* pending_ = nullptr;  // a Notify whose answer brings id_
  bool stale_ = false;                          // latest_ changed while a Notify was on its way
  bool closeSent_ = false;
  bool askingCapabilities_ = false;
  bool bodyMarkup_ = false;  // the body is escaped for the server's markup
};

}  // namespace velnook

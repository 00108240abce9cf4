#pragma once
// Serves "velnook -Cancel" as events on the window thread: the socket is
// watched by the event loop and nothing here ever waits for a client.

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "platform/remote_cancel.h"

namespace velnook {

class QtCancelServer {
 public:
  QtCancelServer() = default;
  ~QtCancelServer();
  QtCancelServer(const QtCancelServer&) = delete;
  QtCancelServer& operator=(const QtCancelServer&) = delete;

  // Answers each request of this user with onCancel's answer. An empty text
  // when listening works; otherwise why not (the program runs on without).
  std::string Listen(const std::string& path, std::function<CancelAnswer()> onCancel);
  // Removes the socket, so that nobody asks an instance that has ended.
  void StopListening();

  // A client that has not sent its request by then is hung up on.
  static constexpr int kClientTimeoutMs = 5000;

 private:
  struct Client {
    int fd = -1;
    std::string received;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> timeout;
  };
  void AcceptWaiting();
  void Read(Client& client);
  void Drop(Client& client);

  std::string path_;
  int listenFd_ = -1;
  std::unique_ptr<QSocketNotifier> listener_;
  std::list<Client> clients_;
  std::function<CancelAnswer()> onCancel_;
};

}  // namespace velnook

#include "platform/linux/qt_cancel_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/cancel_socket.h"

namespace velnook {

QtCancelServer::~QtCancelServer() {
  for (Client& c : clients_) ::close(c.fd);
  StopListening();
}

void QtCancelServer::StopListening() {
  if (listenFd_ < 0) return;
  listener_.reset();
  ::close(listenFd_);
  listenFd_ = -1;
  ::unlink(path_.c_str());
}

std::string QtCancelServer::Listen(const std::string& path,
                                   std::function<CancelAnswer()> onCancel) {
  std::string error;
  listenFd_ = ListenForCancel(path, error);
  if (listenFd_ < 0) return error;
  path_ = path;
  onCancel_ = std::move(onCancel);
  listener_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
  QObject::connect(listener_.get(), &QSocketNotifier::activated, [this] { AcceptWaiting(); });
  return "";
}

void QtCancelServer::AcceptWaiting() {
  // Other users' connections are closed inside AcceptFromSameUser; go on
  // until nobody waits.
  for (int tries = 0; tries < 16; ++tries) {
    const int fd = AcceptFromSameUser(listenFd_);
    if (fd < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      continue;
    }
    Client& c = clients_.emplace_back();
    c.fd = fd;
    c.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    c.timeout = std::make_unique<QTimer>();
    c.timeout->setSingleShot(true);
    QObject::connect(c.notifier.get(), &QSocketNotifier::activated, [this, &c] { Read(c); });
    QObject::connect(c.timeout.get(), &QTimer::timeout, [this, &c] { Drop(c); });
    c.timeout->start(kClientTimeoutMs);
  }
}

void QtCancelServer::Read(Client& c) {
  char buffer[64];
  const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
  if (n <= 0) return Drop(c);
  c.received.append(buffer, static_cast<size_t>(n));
  const std::string request = kCancelRequest;
  if (c.received.size() < request.size() && request.compare(0, c.received.size(), c.received) == 0)
    return;  // the rest is on its way
  if (c.received != request) return Drop(c);
  // The cancel restarts monitoring, which lets window events through (a
  // folder walk, a link send), this client's own among them: take it out of
  // event handling first and keep only its descriptor.
  const int fd = c.fd;
  c.fd = -1;
  Drop(c);
  const std::string line = CancelAnswerLine(onCancel_());
  // A line this short fits a fresh socket's buffer: never waits.
  ::send(fd, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::close(fd);
}

void QtCancelServer::Drop(Client& c) {
  c.notifier->setEnabled(false);
  c.timeout->stop();
  if (c.fd >= 0) ::close(c.fd);
  // Called from the client's own notifier or timer: delete those later.
  c.notifier.release()->deleteLater();
  c.timeout.release()->deleteLater();
  clients_.remove_if([&c](const Client& other) { return &other == &c; });
}

}  // namespace velnook

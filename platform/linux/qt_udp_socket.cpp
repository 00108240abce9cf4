#include "platform/linux/qt_udp_socket.h"

namespace velnook {

QtUdpSocket::QtUdpSocket(EventLoop& events, std::function<void()> afterEvent)
    : socket_("0.0.0.0", &events), afterEvent_(std::move(afterEvent)) {}

void QtUdpSocket::Close() {
  notifier_.reset();
  socket_.Close();
}

bool QtUdpSocket::Bind(int port) {
  notifier_.reset();
  if (!socket_.Bind(port)) return false;
  notifier_ = std::make_unique<QSocketNotifier>(socket_.Descriptor(), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    if (socket_.Poll() > 0 && afterEvent_) afterEvent_();
  });
  return true;
}

bool QtUdpSocket::SendTo(const std::string& address, int port, const std::string& bytes) {
  return socket_.SendTo(address, port, bytes);
}

void QtUdpSocket::SetArrivalHandler(std::function<void(const Datagram&)> onArrival) {
  socket_.SetArrivalHandler(std::move(onArrival));
}

void QtUdpSocket::Resolve(const std::string& name,
                          std::function<void(std::vector<std::string>)> done) {
  socket_.Resolve(name, std::move(done));
}

}  // namespace velnook

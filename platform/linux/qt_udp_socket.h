#pragma once
// The link's socket in the Qt program: a POSIX datagram socket whose
// arrivals reach the window thread as Qt events, its lookups as the event
// loop's background work.

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "platform/posix/posix_udp_socket.h"

namespace velnook {

class QtUdpSocket : public UdpSocket {
 public:
  // afterEvent: redraws the windows once a datagram has been handled.
  QtUdpSocket(EventLoop& events, std::function<void()> afterEvent);

  void Close() override;
  bool Bind(int port) override;
  bool SendTo(const std::string& address, int port, const std::string& bytes) override;
  void SetArrivalHandler(std::function<void(const Datagram&)> onArrival) override;
  void Resolve(const std::string& name,
               std::function<void(std::vector<std::string>)> done) override;

 private:
  PosixUdpSocket socket_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::function<void()> afterEvent_;
};

}  // namespace velnook

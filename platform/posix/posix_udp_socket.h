#pragma once
// A non-blocking POSIX datagram socket. The event loop that owns the window
// thread watches Descriptor() and calls Poll() when it is readable.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/background_lookups.h"
#include "platform/udp_socket.h"

namespace velnook {

class PosixUdpSocket : public UdpSocket {
 public:
  // localAddress: where Bind listens and sends leave from; tests use a
  // loopback address, the program all interfaces. Lookups run through
  // |events|; without one they run in place, which only tests may do.
  explicit PosixUdpSocket(std::string localAddress = "0.0.0.0", EventLoop* events = nullptr);
  ~PosixUdpSocket() override;
  PosixUdpSocket(const PosixUdpSocket&) = delete;
  PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;

  void Close() override;
  bool Bind(int port) override;
  bool SendTo(const std::string& address, int port, const std::string& bytes) override;
  void SetArrivalHandler(std::function<void(const Datagram&)> onArrival) override;
  // The next waiting datagram, or nullopt when none waits.
  std::optional<Datagram> Receive();
  // Looks the name up away from the window thread; done runs on it, and
  // not at all once this socket is gone.
  void Resolve(const std::string& name,
               std::function<void(std::vector<std::string>)> done) override;

  // The bound receiving socket, or -1.
  int Descriptor() const { return receiver_; }
  // Waits up to |timeoutMs| for a datagram on the bound socket; true when
  // one waits. For tests, which have no event loop.
  bool WaitReadable(int timeoutMs) const;
  // Hands waiting datagrams to the arrival handler, a bounded number at a
  // time so a flood cannot hold the window thread; returns how many. Does
  // nothing when called from inside the handler.
  int Poll();

 private:
  std::string localAddress_;
  int receiver_ = -1;
  int sender_ = -1;
  std::function<void(const Datagram&)> onArrival_;
  bool polling_ = false;
  EventLoop* events_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace velnook

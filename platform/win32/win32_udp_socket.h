#pragma once
// A non-blocking Winsock datagram socket. In the program the bound socket
// announces arrivals to a window as a message (NotifyWindow); tests call
// Poll() themselves, as the headless event loop does.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/background_lookups.h"
#include "platform/udp_socket.h"

namespace velnook {

class WinsockSession;

class Win32UdpSocket : public UdpSocket {
 public:
  // localAddress: where Bind listens and sends leave from; tests use a
  // loopback address, the program all interfaces. Lookups run through
  // |events|; without one they run in place, which only tests may do.
  explicit Win32UdpSocket(std::string localAddress = "0.0.0.0", EventLoop* events = nullptr);
  ~Win32UdpSocket() override;
  Win32UdpSocket(const Win32UdpSocket&) = delete;
  Win32UdpSocket& operator=(const Win32UdpSocket&) = delete;

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

  // From now on a bound socket posts |message| to |window| (an HWND) when a
  // datagram waits; the window's handler then calls Poll().
  void NotifyWindow(void* window, unsigned message);
  // Waits up to |timeoutMs| for a datagram on the bound socket; true when
  // one waits. For tests, which have no window.
  bool WaitReadable(int timeoutMs) const;
  // Hands waiting datagrams to the arrival handler, a bounded number at a
  // time so a flood cannot hold the window thread; returns how many. Does
  // nothing when called from inside the handler.
  int Poll();

 private:
  static constexpr std::uintptr_t kNone = ~std::uintptr_t{0};
  std::string localAddress_;
  std::uintptr_t receiver_ = kNone;  // SOCKET values, kept out of this header
  std::uintptr_t sender_ = kNone;
  void* window_ = nullptr;
  unsigned message_ = 0;
  std::function<void(const Datagram&)> onArrival_;
  bool polling_ = false;
  EventLoop* events_;
  std::shared_ptr<WinsockSession> winsock_;  // shared with lookups under way
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Winsock for the life of the object; any number may be alive at once.
class WinsockSession {
 public:
  WinsockSession();
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
};

}  // namespace velnook

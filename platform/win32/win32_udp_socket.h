#pragma once
// A non-blocking Winsock datagram socket. In the program the bound socket
// announces arrivals to a window as a message (NotifyWindow); tests call
// Poll() themselves, as the headless event loop does.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/background_lookups.h"
#include "platform/udp_socket.h"

namespace velnook {

class Win32UdpSocket : public UdpSocket {
 public:
  // localAddress: where Bind listens and sends leave from; tests use a
  // loopback address, the program all interfaces.
  explicit Win32UdpSocket(std::string localAddress = "0.0.0.0");
  ~Win32UdpSocket() override;
  Win32UdpSocket(const Win32UdpSocket&) = delete;
  Win32UdpSocket& operator=(const Win32UdpSocket&) = delete;

  void Close() override;
  bool Bind(int port) override;
  bool SendTo(const std::string& address, int port, const std::string& bytes) override;
  void SetArrivalHandler(std::function<void(const Datagram&)> onArrival) override;
  // The next waiting datagram, or nullopt when none waits.
  std::optional<Datagram> Receive();
  // Looks the name up on a thread of its own; the answer waits until
  // DeliverResolved() runs on the window thread.
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
  // Hands finished lookups to their callbacks; true when one was delivered.
  bool DeliverResolved();
  // Called from the lookup thread when an answer is ready, so the owning
  // loop can wake up; may be empty.
  std::function<void()> onResolvedFromAnyThread;

 private:
  static constexpr std::uintptr_t kNone = ~std::uintptr_t{0};
  std::string localAddress_;
  std::uintptr_t receiver_ = kNone;  // SOCKET values, kept out of this header
  std::uintptr_t sender_ = kNone;
  void* window_ = nullptr;
  unsigned message_ = 0;
  std::function<void(const Datagram&)> onArrival_;
  bool polling_ = false;
  BackgroundLookups lookups_;
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

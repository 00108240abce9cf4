#pragma once
// One UDP socket for the link between master and slave. Arrivals are
// delivered on the window thread; nothing here blocks it.

#include <functional>
#include <string>
#include <vector>

namespace velnook {

struct Datagram {
  std::string bytes;   // exactly what arrived, any byte values
  std::string sender;  // the sender's dotted IPv4 address
};

class UdpSocket {
 public:
  virtual ~UdpSocket() = default;
  // Releases a bound port; harmless when nothing is bound.
  virtual void Close() = 0;
  // Listens on the local port; false when it is taken or refused.
  virtual bool Bind(int port) = 0;
  // Sends one datagram to a dotted IPv4 address, a broadcast address
  // included; false when it could not go.
  virtual bool SendTo(const std::string& address, int port, const std::string& bytes) = 0;
  // Runs on the window thread with each datagram that arrives on the bound
  // port, read whole.
  virtual void SetArrivalHandler(std::function<void(const Datagram&)> onArrival) = 0;
  // Looks a host name up away from the window thread; done runs on the window
  // thread with its dotted IPv4 addresses, empty when the lookup failed.
  virtual void Resolve(const std::string& name,
                       std::function<void(std::vector<std::string>)> done) = 0;
};

}  // namespace velnook

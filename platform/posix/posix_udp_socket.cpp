#include "platform/posix/posix_udp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "platform/udp_socket_common.h"

namespace velnook {
namespace {

int OpenDatagramSocket() {
  return ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

}  // namespace

PosixUdpSocket::PosixUdpSocket(std::string localAddress, EventLoop* events)
    : localAddress_(std::move(localAddress)), events_(events) {}

PosixUdpSocket::~PosixUdpSocket() {
  Close();
  if (sender_ >= 0) ::close(sender_);
}

void PosixUdpSocket::Close() {
  if (receiver_ >= 0) ::close(receiver_);
  receiver_ = -1;
}

bool PosixUdpSocket::Bind(int port) {
  Close();
  sockaddr_in addr;
  if (!FillAddress(localAddress_, port, addr)) return false;
  const int fd = OpenDatagramSocket();
  if (fd < 0) return false;
  // No SO_REUSEADDR: a port another program holds must stay refused.
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return false;
  }
  receiver_ = fd;
  return true;
}

bool PosixUdpSocket::SendTo(const std::string& address, int port, const std::string& bytes) {
  sockaddr_in to;
  if (!FillAddress(address, port, to)) return false;
  if (sender_ < 0) {
    sender_ = OpenDatagramSocket();
    if (sender_ < 0) return false;
    // A master may address all slaves of a network at its broadcast address.
    const int on = 1;
    ::setsockopt(sender_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in from;
    if (FillAddress(localAddress_, 1, from)) {
      from.sin_port = 0;
      if (::bind(sender_, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
        ::close(sender_);
        sender_ = -1;
        return false;
      }
    }
  }
  const ssize_t n = ::sendto(sender_, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                             reinterpret_cast<sockaddr*>(&to), sizeof to);
  return n == static_cast<ssize_t>(bytes.size());
}

std::optional<Datagram> PosixUdpSocket::Receive() {
  if (receiver_ < 0) return std::nullopt;
  // Larger than any datagram: a long one is read whole and judged whole.
  static char buffer[65536];
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  const ssize_t n = ::recvfrom(receiver_, buffer, sizeof buffer, MSG_TRUNC,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (n < 0) return std::nullopt;
  Datagram d;
  d.bytes.assign(buffer,
                 static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer);
  char text[INET_ADDRSTRLEN] = "";
  if (from.sin_family == AF_INET) ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
  d.sender = text;
  return d;
}

void PosixUdpSocket::SetArrivalHandler(std::function<void(const Datagram&)> onArrival) {
  onArrival_ = std::move(onArrival);
}

bool PosixUdpSocket::WaitReadable(int timeoutMs) const {
  if (receiver_ < 0) return false;
  pollfd p{receiver_, POLLIN, 0};
  return ::poll(&p, 1, timeoutMs) == 1;
}

int PosixUdpSocket::Poll() {
  return DeliverWaiting(
      polling_, [this] { return Receive(); }, onArrival_);
}

void PosixUdpSocket::Resolve(const std::string& name,
                             std::function<void(std::vector<std::string>)> done) {
  LookUpInBackground(
      events_, alive_, [name] { return LookUpIPv4(name); }, std::move(done));
}

}  // namespace velnook

#include "platform/win32/win32_udp_socket.h"

// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

#include "platform/udp_socket_common.h"
#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

SOCKET AsSocket(std::uintptr_t s) {
  return static_cast<SOCKET>(s);
}

SOCKET OpenDatagramSocket() {
  SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return s;
  u_long nonBlocking = 1;
  ::ioctlsocket(s, FIONBIO, &nonBlocking);
  return s;
}

}  // namespace

WinsockSession::WinsockSession() {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
}

WinsockSession::~WinsockSession() {
  ::WSACleanup();
}

Win32UdpSocket::Win32UdpSocket(std::string localAddress, EventLoop* events)
    : localAddress_(std::move(localAddress)),
      events_(events),
      winsock_(std::make_shared<WinsockSession>()) {}

Win32UdpSocket::~Win32UdpSocket() {
  Close();
  if (sender_ != kNone) ::closesocket(AsSocket(sender_));
}

void Win32UdpSocket::Close() {
  if (receiver_ != kNone) ::closesocket(AsSocket(receiver_));
  receiver_ = kNone;
}

bool Win32UdpSocket::Bind(int port) {
  Close();
  sockaddr_in addr;
  if (!FillAddress(localAddress_, port, addr)) return false;
  const SOCKET s = OpenDatagramSocket();
  if (s == INVALID_SOCKET) return false;
  // No SO_REUSEADDR, and nobody may take the port over while we hold it: a
  // port another program holds must stay refused.
  BOOL exclusive = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
  if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::closesocket(s);
    return false;
  }
  receiver_ = s;
  if (window_) ::WSAAsyncSelect(s, static_cast<HWND>(window_), message_, FD_READ);
  return true;
}

bool Win32UdpSocket::SendTo(const std::string& address, int port, const std::string& bytes) {
  sockaddr_in to;
  if (!FillAddress(address, port, to)) return false;
  if (sender_ == kNone) {
    const SOCKET s = OpenDatagramSocket();
    if (s == INVALID_SOCKET) return false;
    // A master may address all slaves of a network at its broadcast address.
    BOOL on = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in from;
    if (FillAddress(localAddress_, 1, from)) {
      from.sin_port = 0;
      if (::bind(s, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0) {
        ::closesocket(s);
        return false;
      }
    }
    sender_ = s;
  }
  const int n = ::sendto(AsSocket(sender_), bytes.data(), static_cast<int>(bytes.size()), 0,
                         reinterpret_cast<sockaddr*>(&to), sizeof to);
  return n == static_cast<int>(bytes.size());
}

std::optional<Datagram> Win32UdpSocket::Receive() {
  if (receiver_ == kNone) return std::nullopt;
  // Larger than any datagram: a long one is read whole and judged whole.
  static char buffer[65536];
  while (true) {
    sockaddr_in from{};
    int fromLength = sizeof from;
    const int n = ::recvfrom(AsSocket(receiver_), buffer, sizeof buffer, 0,
                             reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0) {
      // An earlier send's "port unreachable" is no datagram: read on.
      if (::WSAGetLastError() == WSAECONNRESET) continue;
      return std::nullopt;
    }
    Datagram d;
    d.bytes.assign(buffer, static_cast<size_t>(n));
    char text[INET_ADDRSTRLEN] = "";
    if (from.sin_family == AF_INET) ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
    d.sender = text;
    return d;
  }
}

void Win32UdpSocket::SetArrivalHandler(std::function<void(const Datagram&)> onArrival) {
  onArrival_ = std::move(onArrival);
}

void Win32UdpSocket::NotifyWindow(void* window, unsigned message) {
  window_ = window;
  message_ = message;
  if (receiver_ != kNone)
    ::WSAAsyncSelect(AsSocket(receiver_), static_cast<HWND>(window_), message_, FD_READ);
}

bool Win32UdpSocket::WaitReadable(int timeoutMs) const {
  if (receiver_ == kNone) return false;
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(AsSocket(receiver_), &readable);
  timeval t{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return ::select(0, &readable, nullptr, nullptr, &t) == 1;
}

int Win32UdpSocket::Poll() {
  return DeliverWaiting(
      polling_, [this] { return Receive(); }, onArrival_);
}

void Win32UdpSocket::Resolve(const std::string& name,
                             std::function<void(std::vector<std::string>)> done) {
  LookUpInBackground(
      events_, alive_, [name, winsock = winsock_] { return LookUpIPv4(name); }, std::move(done));
}

}  // namespace velnook

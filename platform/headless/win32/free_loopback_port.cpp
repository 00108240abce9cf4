#include <winsock2.h>

#include "platform/headless/headless_services.h"

namespace velnook {

int FreeLoopbackPort() {
  WinsockSession winsock;
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  ::closesocket(s);
  return ntohs(a.sin_port);
}

}  // namespace velnook

#include "platform/udp_socket_common.h"

#include <cstdint>

#include "socket_api.h"

namespace velnook {

bool FillAddress(const std::string& dotted, int port, sockaddr_in& out) {
  out = {};
  out.sin_family = AF_INET;
  out.sin_port = htons(static_cast<std::uint16_t>(port));
  return port > 0 && port < 65536 && ::inet_pton(AF_INET, dotted.c_str(), &out.sin_addr) == 1;
}

std::vector<std::string> LookUpIPv4(const std::string& name) {
  std::vector<std::string> out;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* res = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &res) != 0) return out;
  for (addrinfo* a = res; a; a = a->ai_next) {
    char text[INET_ADDRSTRLEN];
    auto* in = reinterpret_cast<sockaddr_in*>(a->ai_addr);
    if (::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) out.emplace_back(text);
  }
  ::freeaddrinfo(res);
  return out;
}

int DeliverWaiting(bool& polling, const std::function<std::optional<Datagram>()>& receive,
                   const std::function<void(const Datagram&)>& onArrival) {
  if (polling) return 0;
  polling = true;
  int handled = 0;
  while (handled < 64) {
    auto d = receive();
    if (!d) break;
    ++handled;
    if (onArrival) onArrival(*d);
  }
  polling = false;
  return handled;
}

}  // namespace velnook

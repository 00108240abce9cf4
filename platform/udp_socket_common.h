#pragma once
// What the POSIX and Winsock UDP sockets share: the same socket calls over
// the headers platform/<system>/socket_api.h brings in.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/udp_socket.h"

struct sockaddr_in;

namespace velnook {

// Fills |out| with a dotted address and a port; false for anything else.
bool FillAddress(const std::string& dotted, int port, sockaddr_in& out);

// The dotted IPv4 addresses a name resolves to (none when it does not).
// Blocks: run it off the window thread.
std::vector<std::string> LookUpIPv4(const std::string& name);

// Hands up to 64 waiting datagrams to |onArrival| and says how many; a
// handler that polls again meanwhile gets 0, so it is never re-entered.
int DeliverWaiting(bool& polling, const std::function<std::optional<Datagram>()>& receive,
                   const std::function<void(const Datagram&)>& onArrival);

}  // namespace velnook

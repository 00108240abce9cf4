#pragma once
// The link's messages from master to slave. The wire format: "<VN", a
// two-character command, the payload's length as two digits, the payload,
// ">". The master sends one a second; the slave marks each second in which
// one arrives as connected, or as silent when it is malformed. With a pair
// key only correctly signed, fresh messages count, from any address, and
// everything else is ignored as if it had never arrived.

#include <functional>
#include <string>
#include <string_view>

#include "config/shared_state.h"
#include "platform/form.h"
#include "platform/services.h"
#include "platform/udp_socket.h"

namespace velnook {

// True when the text is a well-formed message: at least 8 characters,
// "<VN" first, ">" last, and a length field equal to the payload's length.
// Any bytes at all may be handed in.
bool IsValidLinkMessage(std::string_view text);

// Sends PendingMsg to the partner, signed when there is a pair key, then
// makes the keep-alive the next one.
void SendLinkMessage(SharedState& state, Services& services);

// What a received command runs on the slave.
struct LinkCommands {
  std::function<void()> reset;     // the Reset button's click
  std::function<void()> testMode;  // StartTestMode
};

// Judges one datagram. A master ignores everything. Without a key a slave
// ignores datagrams from any address but its partner's; every such
// stranger is logged once a run, and one that sends well-formed messages
// is named in the window's title line, so that the user can tell why the
// slave counts silence.
void ReceiveLinkMessage(const Datagram& datagram, SharedState& state, Form& window,
                        Services& services, const LinkCommands& commands);

// The window's title: the program's title and what there is to say of the
// link (signed, or why the master is not heard). Test mode keeps its own.
void ShowLinkTitle(const SharedState& state, Form& window);

}  // namespace velnook

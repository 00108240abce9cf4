#pragma once
// The first step of every (re)initialisation: reload and check the
// settings and the pair key, apply the role, and open the slave's
// receiving port.

#include "config/shared_state.h"
#include "link/partner_lookup.h"
#include "platform/services.h"

namespace velnook {

// A key file that others may read, or that holds no key, ends the program
// after its message. A port that cannot be bound asks whether to end the program; No leaves
// it running with the monitor halted (SetupError).
// The partner's address is followed by |partner| from then on.
void SetupLink(SharedState& state, Services& services, PartnerLookup& partner);

}  // namespace velnook

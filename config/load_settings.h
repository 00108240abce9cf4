#pragma once
// Loading the settings at every initialisation: read, check, and end the
// program with the right message when the file cannot be used.

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// Reads "Data\Velnook.ini" into state.settings and state.ConfigSummary and
// checks it; sets state.PartnerMissing for a slave without a partner.
// Returns only when the settings are usable.
void LoadSettings(SharedState& state, Services& services);

}  // namespace velnook

#include "link/setup_link.h"

#include "config/load_settings.h"

namespace velnook {

void SetupLink(SharedState& state, Services& services) {
  state.ProgramTitle = "Velnook";
  state.ScreenOpen = false;
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  state.PartnerMissing = false;
  state.SetupError = false;
  LoadSettings(state, services);
  if (state.settings.CMain == 2) state.ProgramTitle = "Velnook Slave";
  state.TickPhase = 2;
  state.ConfigChanged = false;
  state.AutoMinimise = true;
}

}  // namespace velnook

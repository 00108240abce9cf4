#include "monitor/init_monitor.h"

#include "monitor/dir_size.h"

namespace velnook {

void InitMonitor(SharedState& state, Services& services) {
  if (state.settings.CMain == 1 && !InitDirSize(state.settings.DPath, state, services))
    state.SetupError = true;
}

}  // namespace velnook

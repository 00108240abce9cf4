#include "monitor/init_monitor.h"

#include "monitor/dir_size.h"
#include "resultslog/results_log.h"

namespace velnook {

void InitMonitor(SharedState& state, Services& services) {
  EnsureLogFile(state, services);
  if (state.settings.CMain == 1 && !InitDirSize(state.settings.DPath, state, services))
    state.SetupError = true;
}

}  // namespace velnook

#include "resultslog/log_messages.h"

#include <cstdlib>

namespace velnook {

void EndWithLogMessage(SharedState& state, Services& services, const std::string& titleSuffix,
                       const std::string& text) {
  // No tick may run behind the modal box and write to the log again.
  if (state.tmrRefresh) state.tmrRefresh->Stop();
  // Ending at the system's request, under a box perhaps: a box now would
  // hold up a logout for ever.
  if (!state.EndRequested)
    services.messages.Show(
        {MsgIcon::Exclamation, MsgButtons::Ok, state.ProgramTitle + titleSuffix, text});
  services.process.EndProgram(true, EndKind::Fatal);
  std::abort();  // EndProgram never returns; never carry on with an unwritable log
}

}  // namespace velnook

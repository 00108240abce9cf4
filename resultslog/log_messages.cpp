#include "resultslog/log_messages.h"

#include "config/end_with_message.h"

namespace velnook {

void EndWithLogMessage(SharedState& state, Services& services, const std::string& titleSuffix,
                       const std::string& text) {
  EndWithMessage(state, services,
                 {MsgIcon::Exclamation, MsgButtons::Ok, state.ProgramTitle + titleSuffix, text},
                 true);
}

}  // namespace velnook

#include "monitor/power_check.h"

#include "resultslog/results_log.h"
#include "shutdown/inhibitor_line.h"
#include "shutdown/shut_types.h"

namespace velnook {

std::string RefusalTitle(const std::string& shutTypeName, const std::string& answer) {
  return shutTypeName + " Refused By The System (" + answer + ")";
}

void CheckPowerAllowed(SharedState& state, MonitorWindow& window, Services& services) {
  const auto action = PowerActionOf(state.settings.ShutType);
  if (!action) return;
  // An answer that arrives after a restart belongs to settings that may have
  // changed; the restart asks again.
  const int init = state.Initialisations;
  services.power.AskAllowed(*action, [&state, &window, &services, init](std::string answer) {
    if (init != state.Initialisations || answer == kPowerAllowed) return;
    if (state.settings.LogLevel > 1) WriteLogEntry("Refused", state.ShutTypeName, state, services);
    Control& title = window.Get("Title");
    title.caption = RefusalTitle(state.ShutTypeName, answer);
    title.foreColour = kOrange;
    title.bold = true;
    services.windows.Refresh(window);
  });
  AskBlockingInhibitors(state, services);
}

void AskBlockingInhibitors(SharedState& state, Services& services) {
  const auto action = PowerActionOf(state.settings.ShutType);
  if (!action) return;
  const int init = state.Initialisations;
  services.power.ListInhibitors([&state, init, a = *action](std::vector<Inhibitor> inhibitors) {
    if (init == state.Initialisations) state.InhibitorLine = BlockingInhibitorLine(inhibitors, a);
  });
}

}  // namespace velnook

#include "shutdown/power_actions.h"

namespace velnook {
namespace {

PowerError ErrorOf(const PowerFailure& f, const std::string& requestPrefix) {
  switch (f.step) {
    case PowerStep::FindAuthority:
      return {kErrNoPrivilegeValue, kPowerErrorSource,
              "Can't enable shutdown: Can't find the SE_SHUTDOWN_NAME privilege value. [" +
                  f.systemText + "]"};
    case PowerStep::IdentifyProcess:
      return {kErrNoProcess, kPowerErrorSource,
              "Can't enable shutdown: Can't determine the current process. [" + f.systemText + "]"};
    case PowerStep::Authorise:
      return {kErrNoPrivileges, kPowerErrorSource,
              "Can't enable shutdown: You do not have the privileges to shutdown this system. [" +
                  f.systemText + "]"};
    case PowerStep::Request:
      break;
  }
  return {kErrShutdownFailed, kPowerErrorSource, requestPrefix + f.systemText};
}

}  // namespace

std::optional<PowerError> EnableShutdownPrivilege(PowerAction action, PowerService& power) {
  if (auto f = power.EnablePrivilege(action)) {
    // A privilege step cannot fail as a request; report it as a refusal.
    if (f->step == PowerStep::Request) f->step = PowerStep::Authorise;
    return ErrorOf(*f, "");
  }
  return std::nullopt;
}

std::optional<PowerError> RequestPowerAction(PowerAction action, PowerService& power) {
  if (auto e = EnableShutdownPrivilege(action, power)) return e;
  const auto f = power.Request(action);
  if (!f) return std::nullopt;
  // Each failure names the procedure that asked, as the system's own did.
  if (action == PowerAction::Hibernate) return ErrorOf(*f, "HibernateSystem failed: ");
  if (action == PowerAction::Suspend) return ErrorOf(*f, "StandbySystem failed: ");
  return ErrorOf(*f, "ShutdownSystem failed: ");
}

}  // namespace velnook

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

std::optional<PowerError> RequestWithPrivilege(PowerAction action, PowerService& power,
                                               const std::string& requestPrefix) {
  if (auto e = EnableShutdownPrivilege(action, power)) return e;
  if (auto f = power.Request(action)) return ErrorOf(*f, requestPrefix);
  return std::nullopt;
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

std::optional<PowerError> ShutdownSystem(int flags, PowerService& power) {
  if (flags < 0 || flags > 31)
    return PowerError{kErrInvalidFlags, kPowerErrorSource,
                      "Invalid parameter to ShutdownSystem: " + std::to_string(flags)};
  PowerAction action;
  if (flags & kEwxPowerOff)
    action = PowerAction::PowerOff;
  else if (flags & kEwxReboot)
    action = PowerAction::Reboot;
  else if (flags & kEwxShutdown)
    action = PowerAction::Halt;
  else
    // Logging off is not a power request; nothing here asks for it.
    return PowerError{kErrShutdownFailed, kPowerErrorSource,
                      "ShutdownSystem failed: logging off is not supported"};
  return RequestWithPrivilege(action, power, "ShutdownSystem failed: ");
}

std::optional<PowerError> HibernateSystem(PowerService& power) {
  return RequestWithPrivilege(PowerAction::Hibernate, power, "HibernateSystem failed: ");
}

std::optional<PowerError> StandbySystem(PowerService& power) {
  return RequestWithPrivilege(PowerAction::Suspend, power, "StandbySystem failed: ");
}

}  // namespace velnook

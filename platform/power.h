#pragma once
// Power requests to the operating system: switching off, rebooting, halting,
// hibernating and suspending.

#include <functional>
#include <optional>
#include <string>

namespace velnook {

enum class PowerAction { PowerOff, Reboot, Halt, Hibernate, Suspend };

// The step of a request that failed, in the order a request goes through.
enum class PowerStep {
  FindAuthority,    // the service that grants the right is missing
  IdentifyProcess,  // the system cannot tell who is asking
  Authorise,        // the right to act was refused
  Request,          // the request itself was refused or failed
};

struct PowerFailure {
  PowerStep step = PowerStep::Request;
  std::string systemText;  // the system's own explanation
};

class PowerService {
 public:
  virtual ~PowerService() = default;
  // Makes sure this process may ask for the action, without asking the user.
  virtual std::optional<PowerFailure> EnablePrivilege(PowerAction action) = 0;
  // Asks for the action; nullopt once the system has accepted it.
  virtual std::optional<PowerFailure> Request(PowerAction action) = 0;
  // Runs onResumed once, when the system has woken from the next sleep.
  virtual void CallWhenResumed(std::function<void()> onResumed) = 0;
};

}  // namespace velnook

#pragma once
// Power requests to the operating system: switching off, rebooting, halting,
// hibernating and suspending.

#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// A lock a program holds on the system's power actions (who and why it
// gives; what it covers: "shutdown", "sleep", …; mode "block" or "delay").
struct Inhibitor {
  std::string what;
  std::string who;
  std::string why;
  std::string mode;
};

// The answer that lets a request go ahead without asking anybody.
constexpr const char* kPowerAllowed = "yes";

class PowerService {
 public:
  virtual ~PowerService() = default;
  // Makes sure this process may ask for the action, without asking the user.
  virtual std::optional<PowerFailure> EnablePrivilege(PowerAction action) = 0;
  // Asks for the action; nullopt once the system has accepted it.
  virtual std::optional<PowerFailure> Request(PowerAction action) = 0;
  // Runs onResumed once, when the system has woken from the next sleep.
  virtual void CallWhenResumed(std::function<void()> onResumed) = 0;
  // Asks, without waiting, whether a request for the action would be granted
  // now without asking the user. onAnswer runs later on the window thread
  // with kPowerAllowed, the system's other answer ("no", "challenge", …), or
  // a short text saying why nobody could be asked.
  virtual void AskAllowed(PowerAction action, std::function<void(std::string)> onAnswer) = 0;
  // Asks, without waiting, for the locks programs hold on power actions;
  // onList runs later on the window thread (with none when nobody answers).
  virtual void ListInhibitors(std::function<void(std::vector<Inhibitor>)> onList) = 0;
};

}  // namespace velnook

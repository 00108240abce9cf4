#pragma once
// Power requests to Windows: the shutdown privilege in the process token,
// ExitWindowsEx for power off, reboot and shut down, SetSuspendState for
// hibernate and standby.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/power.h"

namespace velnook {

// The system's own text for an error code, exactly as it writes it (usually
// ending in CR LF); empty when it has none.
std::string SystemErrorText(std::uint32_t code);

class Win32Power : public PowerService {
 public:
  // runLater queues a call to the window thread; the wake-up is announced
  // through it once the sleep request has returned.
  explicit Win32Power(std::function<void(std::function<void()>)> runLater)
      : runLater_(std::move(runLater)) {}
  std::optional<PowerFailure> EnablePrivilege(PowerAction action) override;
  std::optional<PowerFailure> Request(PowerAction action) override;
  void CallWhenResumed(std::function<void()> onResumed) override;
  // The shutdown privilege in the token, and for the sleeps whether the
  // machine can sleep that way at all.
  void AskAllowed(PowerAction action, std::function<void(std::string)> onAnswer) override;
  // Windows keeps no list of programs holding a shutdown back.
  void ListInhibitors(std::function<void(std::vector<Inhibitor>)> onList) override;

 private:
  std::function<void(std::function<void()>)> runLater_;
  void Later(std::function<void()> f);
  std::function<void()> onResumed_;
};

}  // namespace velnook

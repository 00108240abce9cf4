#pragma once
// The power actions: every request first makes sure the program may act,
// and every failure comes back as a numbered error with the system's own
// explanation. Nothing here shows anything.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/power.h"

namespace velnook {

// Windows' interface-specific range, where these numbers have always lived.
constexpr std::int32_t kErrShutdownFailed = static_cast<std::int32_t>(0x8004062BU);
constexpr std::int32_t kErrNoPrivilegeValue = static_cast<std::int32_t>(0x8004062CU);
constexpr std::int32_t kErrNoProcess = static_cast<std::int32_t>(0x8004062DU);
constexpr std::int32_t kErrNoPrivileges = static_cast<std::int32_t>(0x8004062EU);

constexpr const char* kPowerErrorSource = "Velnook.mShutDown";

struct PowerError {
  std::int32_t number = 0;
  std::string source = kPowerErrorSource;
  std::string description;
};

// nullopt when the program may now ask for the action.
std::optional<PowerError> EnableShutdownPrivilege(PowerAction action, PowerService& power);

// Asks for the action after enabling the privilege. nullopt once the system
// has accepted the request; after hibernate or standby it may still sleep
// later.
std::optional<PowerError> RequestPowerAction(PowerAction action, PowerService& power);

}  // namespace velnook

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
constexpr std::int32_t kErrInvalidFlags = static_cast<std::int32_t>(0x8004062FU);

constexpr const char* kPowerErrorSource = "Velnook.mShutDown";

struct PowerError {
  std::int32_t number = 0;
  std::string source = kPowerErrorSource;
  std::string description;
};

// The ExitWindowsEx flags the shut types pass.
constexpr int kEwxShutdown = 1;
constexpr int kEwxReboot = 2;
constexpr int kEwxForce = 4;
constexpr int kEwxPowerOff = 8;

// nullopt when the program may now ask for the action.
std::optional<PowerError> EnableShutdownPrivilege(PowerAction action, PowerService& power);

// Flags 12 power off, 6 reboot, 5 shut down (all forced). nullopt once the
// system has accepted the request.
std::optional<PowerError> ShutdownSystem(int flags, PowerService& power);

// nullopt once the request is made; the system may still sleep later.
std::optional<PowerError> HibernateSystem(PowerService& power);
std::optional<PowerError> StandbySystem(PowerService& power);

}  // namespace velnook

#include "shutdown/shut_types.h"

#include <array>

namespace velnook {
namespace {

struct ShutTypeRow {
  const char* name;
  const char* countdownText;
};

constexpr std::array<ShutTypeRow, 6> kShutTypes = {{
    {"Power Off", "The Computer Will Power Off In "},
    {"Reboot", "The Computer Will Reboot In "},
    {"Shutdown", "The Computer Will Shutdown In "},
    {"Monitor", "Velnook Will Close In "},
    {"Hibernate", "The Computer Will Hibernate In "},
    {"Standby", "The Computer Will Standby In "},
}};

}  // namespace

std::optional<std::string> ShutTypeNameOf(std::int16_t shutType) {
  if (shutType < 1 || shutType > 6) return std::nullopt;
  return kShutTypes[static_cast<std::size_t>(shutType - 1)].name;
}

std::optional<std::int16_t> ShutTypeCodeOf(const std::string& name) {
  for (std::size_t i = 0; i < kShutTypes.size(); ++i)
    if (name == kShutTypes[i].name) return static_cast<std::int16_t>(i + 1);
  return std::nullopt;
}

std::string CountdownTextOf(std::int16_t shutType) {
  if (shutType < 1 || shutType > 6) return "";
  return kShutTypes[static_cast<std::size_t>(shutType - 1)].countdownText;
}

std::optional<PowerAction> PowerActionOf(std::int16_t shutType) {
  switch (shutType) {
    case 1:
      return PowerAction::PowerOff;
    case 2:
      return PowerAction::Reboot;
    case 3:
      return PowerAction::Halt;
    case 5:
      return PowerAction::Hibernate;
    case 6:
      return PowerAction::Suspend;
  }
  return std::nullopt;
}

}  // namespace velnook

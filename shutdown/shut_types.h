#pragma once
// The table of shut types: the codes stored in ShutType, their names and
// their countdown texts.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/power.h"

namespace velnook {

// "Power Off" … "Standby"; nullopt outside 1 to 6.
std::optional<std::string> ShutTypeNameOf(std::int16_t shutType);

// The code of a shut type's name; nullopt for any other text.
std::optional<std::int16_t> ShutTypeCodeOf(const std::string& name);

// The request a shut type makes of the system; nullopt for "Monitor" and
// outside 1 to 6.
std::optional<PowerAction> PowerActionOf(std::int16_t shutType);

// "The Computer Will Power Off In " and its siblings; empty outside 1 to 6.
std::string CountdownTextOf(std::int16_t shutType);

}  // namespace velnook

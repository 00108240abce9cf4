#pragma once
// Names the programs that hold a power action back, in one line the user
// can read while the countdown runs.

#include <string>
#include <vector>

#include "platform/power.h"

namespace velnook {

// "Blocked by: Firefox (Downloading), Backup (Copying files)" for the
// inhibitors in block mode that cover the action ("shutdown" for power off,
// reboot and halt, "sleep" for hibernate and suspend); empty when none do.
std::string BlockingInhibitorLine(const std::vector<Inhibitor>& inhibitors, PowerAction action);

}  // namespace velnook

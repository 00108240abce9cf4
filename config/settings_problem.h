#pragma once
// What is wrong in the settings file, in words the user can act on: the key,
// its value and what it should be.

#include <string>
#include <vector>

#include "config/settings.h"

namespace velnook {

// The failed rule of the load-time check, such as
// "DownDelay=601 is outside 5 to 600".
std::string SettingsRuleProblem(int rule, const Settings& s);

// Keys and sections (such as "AvTime" or "[Run]") that the file lacks or
// gives more than once, one line for each kind: "AvTime and DPath are
// missing", "[Run] is repeated". Empty when both lists are.
std::string KeyCountProblem(const std::vector<std::string>& missing,
                            const std::vector<std::string>& repeated);

}  // namespace velnook

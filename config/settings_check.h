#pragma once
// The load-time check of the settings.

#include <optional>

#include "config/settings.h"

namespace velnook {

struct SettingsCheck {
  std::optional<int> failedRule;  // the first rule that failed, 1..22
  bool partnerMissing = false;    // a slave without a usable partner address
};

SettingsCheck CheckSettingsRanges(const Settings& s);

}  // namespace velnook

#pragma once
// The load-time check of the settings.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace velnook {

// One setting's limits: the load check's rule that holds them, the range of
// its value (or, for a text, of its length in characters), and the hint the
// configuration screen shows beside its field.
struct SettingLimit {
  int rule;
  const char* key;
  long low, high;
  long (*number)(const Settings&);  // null for a text
  std::string Settings::*text;      // null for a number
  const char* hint;                 // empty where the screen shows none or its own
};

// Every setting with a range, in the order of the rules.
extern const std::array<SettingLimit, 15> kSettingLimits;

// The entry of a key, which must be in the table.
const SettingLimit& LimitOf(std::string_view key);

// True when the value (or the text's length) is outside the limits.
bool Breaks(const SettingLimit& limit, const Settings& s);
bool Outside(const SettingLimit& limit, double value);

struct SettingsCheck {
  std::optional<int> failedRule;  // the first rule that failed, 1..22
  bool partnerMissing = false;    // a slave without a usable partner address
};

SettingsCheck CheckSettingsRanges(const Settings& s);

}  // namespace velnook

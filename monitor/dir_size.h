#pragma once
// Measures the download folder: the total size of every file in its tree,
// and the change between two measurements as a rate text in KB.

#include <string>

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// A leading "%USERPROFILE%" becomes that variable's value (HOME where it is
// not set); nothing else is expanded.
std::string ExpandDownloadPath(const std::string& path, Process& process);

// |change| bytes as KB with one decimal, or "2000000" above that.
std::string FormatRateText(std::int64_t changeBytes, const LocaleInfo& locale);

// Resets the totals and takes a new baseline. False when the folder does not
// exist or cannot be opened.
bool InitDirSize(const std::string& path, SharedState& state, Services& services);

// Measures again and sets RateText from the change since the last time.
// False when the folder does not exist; RateText then stays as it was.
bool GetDirRate(const std::string& path, SharedState& state, Services& services);

// Adds the size of every file below folder to state.DirTotal. A failure
// abandons the measurement: DirTotal goes back to DirPrevTotal. Entries that
// vanish while being walked are skipped.
void AddDirSize(const std::string& folder, SharedState& state, Services& services);

}  // namespace velnook

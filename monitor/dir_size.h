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
// exist or cannot be read. Both this and GetDirRate also answer false, with
// DirLostAs set, when the folder's path has come to lead into another file
// system than the one DirFileSystem names (set by the first measurement
// after it was cleared).
bool InitDirSize(const std::string& path, SharedState& state, Services& services);

// Measures again and sets RateText from the change since the last time, per
// second of the time between the two measurements when the tracker stamps
// them; without a newer measurement RateText stays as it was.
// False when the folder does not exist or cannot be read; RateText then stays
// as it was. Both name in UnreadFolders the folders left out of the total.
bool GetDirRate(const std::string& path, SharedState& state, Services& services);

// The full scan: the size of every file below folder that can be read. A
// folder that cannot be read is left out and named, the rest measured as
// usual; entries that vanish while being walked are skipped.
TreeSize AddDirSize(const std::string& folder, Services& services);

}  // namespace velnook

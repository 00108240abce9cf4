#include "monitor/dir_size.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace velnook {

std::string ExpandDownloadPath(const std::string& path, Process& process) {
  static const std::string kVar = "%USERPROFILE%";
  if (path.compare(0, kVar.size(), kVar) != 0) return path;
  auto profile = process.GetEnvironment("USERPROFILE");
  if (!profile) profile = process.GetEnvironment("HOME");
  return profile.value_or("") + path.substr(kVar.size());
}

std::string FormatRateText(std::int64_t changeBytes, const LocaleInfo& locale) {
  // Tenths of a KB, rounded half away from zero; exact for any real size.
  const long double kb = static_cast<long double>(std::llabs(changeBytes)) / 1024.0L;
  const long long tenths = std::llround(kb * 10.0L);
  if (tenths > 20000000LL) return "2000000";
  return std::to_string(tenths / 10) + locale.decimalSeparator + std::to_string(tenths % 10);
}

void AddDirSize(const std::string& folder, SharedState& state, Services& services) {
  // Depth first with an explicit stack, so a deep tree cannot overflow ours.
  std::vector<std::string> pending{folder};
  FolderListing listing;
  bool top = true;
  while (!pending.empty()) {
    std::string path = std::move(pending.back());
    pending.pop_back();
    FileError err = services.files.ListFolder(path, listing);
    services.events.ProcessPendingEvents();
    if (err == FileError::NotFound && !top) continue;  // renamed or deleted meanwhile
    if (err != FileError::None) {
      state.DirTotal = state.DirPrevTotal;
      return;
    }
    top = false;
    for (std::uint64_t length : listing.fileLengths)
      state.DirTotal += static_cast<std::int64_t>(length);
    // Reversed so that sub-folders are walked in the order they were listed.
    for (auto it = listing.subFolders.rbegin(); it != listing.subFolders.rend(); ++it)
      pending.push_back(std::move(*it));
  }
}

namespace {

// Sets DirTotal to the tree's total, from the tracker or by a full scan.
void MeasureTree(const std::string& folder, bool fresh, SharedState& state, Services& services) {
  state.DirTotal = services.tracker.Measure(
      folder, fresh, [&] { services.events.ProcessPendingEvents(); },
      [&] {
        state.DirTotal = 0;
        AddDirSize(folder, state, services);
        return state.DirTotal;
      });
}

}  // namespace

bool InitDirSize(const std::string& path, SharedState& state, Services& services) {
  state.DirTotal = 0;
  state.DirPrevTotal = 0;
  state.RateText = "0";
  const std::string expanded = ExpandDownloadPath(path, services.process);
  if (!services.files.FolderExists(expanded)) return false;
  MeasureTree(expanded, true, state, services);
  state.DirPrevTotal = state.DirTotal;
  return true;
}

bool GetDirRate(const std::string& path, SharedState& state, Services& services) {
  services.events.ProcessPendingEvents();
  const std::string expanded = ExpandDownloadPath(path, services.process);
  if (!services.files.FolderExists(expanded)) return false;
  MeasureTree(expanded, false, state, services);
  state.RateText = FormatRateText(state.DirTotal - state.DirPrevTotal, services.locale);
  state.DirPrevTotal = state.DirTotal;
  return true;
}

}  // namespace velnook

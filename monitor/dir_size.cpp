#include "monitor/dir_size.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

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

TreeSize AddDirSize(const std::string& folder, Services& services) {
  TreeSize size;
  FolderListing listing;
  const auto walk = services.files.WalkFolders(folder);
  bool top = true;
  while (walk->Next(listing)) {
    services.events.ProcessPendingEvents();
    if (listing.error != FileError::None) {
      // The rest of the tree is still measured: one locked folder must not
      // hide a download next to it.
      if (top) size.rootRead = false;
      if (!top) size.unreadable.push_back(std::move(listing.path));
    }
    top = false;
    for (std::uint64_t length : listing.fileLengths)
      size.total += static_cast<std::int64_t>(length);
  }
  std::sort(size.unreadable.begin(), size.unreadable.end());
  return size;
}

namespace {

// Sets DirTotal and UnreadFolders from the tracker or a full scan. False when
// the folder itself cannot be read.
bool MeasureTree(const std::string& folder, bool fresh, SharedState& state, Services& services) {
  TreeSize size = services.tracker.Measure(
      folder, fresh, [&] { services.events.ProcessPendingEvents(); },
      [&] { return AddDirSize(folder, services); });
  if (!size.rootRead) return false;
  state.DirTotal = size.total;
  state.UnreadFolders = std::move(size.unreadable);
  return true;
}

}  // namespace

bool InitDirSize(const std::string& path, SharedState& state, Services& services) {
  state.DirTotal = 0;
  state.DirPrevTotal = 0;
  state.RateText = "0";
  const std::string expanded = ExpandDownloadPath(path, services.process);
  if (!services.files.FolderExists(expanded)) return false;
  if (!MeasureTree(expanded, true, state, services)) return false;
  state.DirPrevTotal = state.DirTotal;
  return true;
}

bool GetDirRate(const std::string& path, SharedState& state, Services& services) {
  services.events.ProcessPendingEvents();
  const std::string expanded = ExpandDownloadPath(path, services.process);
  if (!services.files.FolderExists(expanded)) return false;
  if (!MeasureTree(expanded, false, state, services)) return false;
  state.RateText = FormatRateText(state.DirTotal - state.DirPrevTotal, services.locale);
  state.DirPrevTotal = state.DirTotal;
  return true;
}

}  // namespace velnook

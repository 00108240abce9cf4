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
  return SumWalk(*services.files.WalkFolders(folder),
                 [&] { services.events.ProcessPendingEvents(); });
}

namespace {

enum class Outcome { Unreadable, Pending, Measured };

// Sets DirTotal, DirSeconds, UnreadFolders and the rest from the tracker or
// a full scan. Pending leaves them as they were.
Outcome MeasureTree(const std::string& folder, bool fresh, SharedState& state, Services& services) {
  TreeSize size = services.tracker.Measure(
      folder, fresh, [&] { services.events.ProcessPendingEvents(); },
      [&] { return AddDirSize(folder, services); });
  if (size.pending) return Outcome::Pending;
  if (!size.rootRead) return Outcome::Unreadable;
  state.DirTotal = size.total;
  state.DirSeconds = size.seconds;
  state.DirAskedAt = size.askedAt;
  state.UnreadFolders = std::move(size.unreadable);
  state.DirWalked = size.outOfWatches;
  state.DirCorrected += size.corrected;
  return Outcome::Measured;
}

// Whether the top folder can be listed, without the rest of the tree.
bool TopFolderReads(const std::string& folder, Services& services) {
  FolderListing top;
  return services.files.WalkFolders(folder)->Next(top) && top.error == FileError::None;
}

// A folder whose path now leads into another file system is not the folder
// being measured: a download into the old one would read as a finished one.
bool SameFileSystem(const std::string& folder, SharedState& state, Services& services) {
  const std::string now = services.files.FileSystemOf(folder);
  if (state.DirFileSystem.empty()) state.DirFileSystem = now;
  if (now.empty() || now == state.DirFileSystem) return true;  // or cannot be told
  state.DirLostAs = services.files.IsMounted(state.DirFileSystem) ? "Remounted" : "Unmounted";
  return false;
}

}  // namespace

bool InitDirSize(const std::string& path, SharedState& state, Services& services) {
  state.DirTotal = 0;
  state.DirPrevTotal = 0;
  state.RateText = "0";
  state.DirBaselinePending = false;
  state.DirPerSecond = 0;
  state.DirReckonedAt = -1;
  const std::string expanded = ExpandDownloadPath(path, services.process);
  if (!services.files.FolderExists(expanded)) return false;
  if (!SameFileSystem(expanded, state, services)) return false;
  switch (MeasureTree(expanded, true, state, services)) {
    case Outcome::Unreadable:
      return false;
    case Outcome::Pending:
      // The walk goes on elsewhere; whether the folder reads is known now.
      state.DirBaselinePending = true;
      return TopFolderReads(expanded, services);
    case Outcome::Measured:
      break;
  }
  state.DirPrevTotal = state.DirTotal;
  state.DirPrevSeconds = state.DirSeconds;
  state.DirReckoned = static_cast<double>(state.DirTotal);
  state.DirReckonedAt = state.DirSeconds >= 0 ? state.DirAskedAt : -1;
  return true;
}

bool GetDirRate(const std::string& path, SharedState& state, Services& services) {
  services.events.ProcessPendingEvents();
  const std::string expanded = ExpandDownloadPath(path, services.process);
  if (!services.files.FolderExists(expanded)) return false;
  if (!SameFileSystem(expanded, state, services)) return false;
  switch (MeasureTree(expanded, false, state, services)) {
    case Outcome::Unreadable:
      return false;
    case Outcome::Pending:
      return true;  // nothing new: the last rate stands
    case Outcome::Measured:
      break;
  }
  const bool newer = state.DirSeconds < 0 || state.DirSeconds != state.DirPrevSeconds;
  if (newer && !state.DirBaselinePending) {
    // Per second of the time between the two measurements, however long
    // the walk between them took.
    const double elapsed = state.DirSeconds >= 0 && state.DirPrevSeconds >= 0
                               ? state.DirSeconds - state.DirPrevSeconds
                               : 1.0;
    state.DirPerSecond = static_cast<double>(state.DirTotal - state.DirPrevTotal) / elapsed;
  }
  const bool stamped = state.DirAskedAt >= 0 && state.DirSeconds >= 0;
  // Only while a walk is out: a figure just in is not reckoned past its
  // moment, since a rate shows the change's size and an overshoot put right
  // would read as more change.
  const double reckoned =
      static_cast<double>(state.DirTotal) +
      (stamped && !newer ? state.DirPerSecond * std::max(0.0, state.DirAskedAt - state.DirSeconds)
                         : 0.0);
  // The change since the last second; a tracker that measures when asked
  // measures a second apart.
  const double interval =
      stamped && state.DirReckonedAt >= 0 ? state.DirAskedAt - state.DirReckonedAt : 1.0;
  if (!state.DirBaselinePending && interval > 0)
    state.RateText =
        FormatRateText(std::llround((reckoned - state.DirReckoned) / interval), services.locale);
  state.DirReckoned = reckoned;
  state.DirReckonedAt = stamped ? state.DirAskedAt : -1;
  state.DirBaselinePending = false;
  state.DirPrevTotal = state.DirTotal;
  state.DirPrevSeconds = state.DirSeconds;
  return true;
}

}  // namespace velnook

#include "monitor/unread_note.h"

#include "resultslog/results_log.h"

namespace velnook {

namespace {

std::string LeafName(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  const auto cut = p.find_last_of("/\\");
  return cut == std::string::npos ? p : p.substr(cut + 1);
}

}  // namespace

std::string UnreadFoldersName(const std::vector<std::string>& unread) {
  return unread.size() == 1 ? LeafName(unread[0]) : std::to_string(unread.size()) + " folders";
}

void LogUnreadFolders(SharedState& state, Services& services) {
  if (!state.UnreadFolders.empty() && state.settings.LogLevel > 1)
    WriteLogEntry("Unread", UnreadFoldersName(state.UnreadFolders), state, services);
}

void ShowNote(const SharedState& state, MonitorWindow& window) {
  const std::vector<std::string>& unread = state.ReportedUnread;
  Control& note = window.Get("Note");
  note.caption.clear();
  note.tooltip.clear();
  if (!state.UnfinishedLine.empty()) {
    note.caption = state.UnfinishedLine;
  } else if (!unread.empty()) {
    std::string names = LeafName(unread[0]);
    if (unread.size() == 2) names += " and " + LeafName(unread[1]);
    if (unread.size() > 2) names += " and " + std::to_string(unread.size() - 1) + " more";
    note.caption = "Cannot read " + names + ": downloads there are not seen";
    for (const std::string& path : unread)
      note.tooltip += (note.tooltip.empty() ? "" : "\n") + path;
  } else if (state.ReportedWalked) {
    note.caption = "Too many folders to watch: each second walks them all";
  } else {
    note.caption = state.LastRunLine;
  }
  note.visible = !note.caption.empty();
  window.clientHeight = note.visible ? kMainHeightWithNote : kMainHeight;
}

void ShowUnreadFolders(SharedState& state, MonitorWindow& window, Services& services) {
  const bool logging = state.settings.LogLevel > 1;
  if (state.DirCorrected != 0 && logging) {
    const std::int64_t kb = state.DirCorrected / 1024;
    WriteLogEntry("Corrected", (kb > 0 ? "+" : "") + std::to_string(kb) + "KB", state, services);
  }
  state.DirCorrected = 0;
  const std::vector<std::string>& unread = state.UnreadFolders;
  const bool walkedNews = state.DirWalked != state.ReportedWalked;
  if (unread == state.ReportedUnread && !walkedNews) return;
  state.ReportedWalked = state.DirWalked;
  if (walkedNews && state.DirWalked && logging)
    WriteLogEntry("Walking", "No watches", state, services);
  const bool unreadNews = unread != state.ReportedUnread;
  state.ReportedUnread = unread;
  ShowNote(state, window);
  if (unreadNews) LogUnreadFolders(state, services);
}

}  // namespace velnook

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

void ShowUnreadFolders(SharedState& state, MonitorWindow& window, Services& services) {
  const std::vector<std::string>& unread = state.UnreadFolders;
  if (unread == state.ReportedUnread) return;
  state.ReportedUnread = unread;
  Control& note = window.Get("Note");
  note.visible = !unread.empty();
  window.clientHeight = unread.empty() ? kMainHeight : kMainHeightWithNote;
  if (unread.empty()) {
    note.caption.clear();
    note.tooltip.clear();
    return;
  }
  std::string names = LeafName(unread[0]);
  if (unread.size() == 2) names += " and " + LeafName(unread[1]);
  if (unread.size() > 2) names += " and " + std::to_string(unread.size() - 1) + " more";
  note.caption = "Cannot read " + names + ": downloads there are not seen";
  note.tooltip.clear();
  for (const std::string& path : unread) note.tooltip += (note.tooltip.empty() ? "" : "\n") + path;
  if (state.settings.LogLevel > 1)
    WriteLogEntry(
        "Unread",
        unread.size() == 1 ? LeafName(unread[0]) : std::to_string(unread.size()) + " folders",
        state, services);
}

}  // namespace velnook

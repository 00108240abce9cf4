#include "shutdown/countdown_notice.h"

#include "monitor/unread_note.h"

namespace velnook {

std::string CountdownNoticeBody(const std::string& countdownLine, const std::string& extraLine) {
  return extraLine.empty() ? countdownLine : countdownLine + "\n" + extraLine;
}

void UpdateCountdownNotice(const SharedState& state, MonitorWindow& window, Services& services) {
  const bool first = state.SecCount == 1;
  const int left = state.settings.ShutTime - state.SecCount + 1;
  if (first) services.windows.RequestAttention(window);
  if (!first && left > 10 && left % 10 != 0) return;
  const std::string unread =
      state.UnreadFolders.empty() ? "" : "Cannot read: " + UnreadFoldersName(state.UnreadFolders);
  const std::string body = CountdownNoticeBody(window.Get("Counter").caption, state.InhibitorLine);
  services.notifier.Show({state.ProgramTitle, CountdownNoticeBody(body, unread)});
}

}  // namespace velnook

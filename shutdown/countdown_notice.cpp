#include "shutdown/countdown_notice.h"

#include "monitor/dir_size.h"
#include "monitor/unfinished_downloads.h"
#include "monitor/unread_note.h"
#include "resultslog/last_run.h"
#include "resultslog/results_log.h"

namespace velnook {

std::string CountdownNoticeBody(const std::string& countdownLine,
                                const std::vector<std::string>& extraLines) {
  std::string body = countdownLine;
  for (const std::string& line : extraLines)
    if (!line.empty()) body += "\n" + line;
  return body;
}

namespace {

std::string CannotReadLine(const SharedState& state) {
  if (state.UnreadFolders.empty()) return "";
  return "Cannot read: " + UnreadFoldersName(state.UnreadFolders);
}

}  // namespace

void ShowCountdownNotice(const SharedState& state, const MonitorWindow& window,
                         Services& services) {
  services.notifier.Show(
      {state.ProgramTitle,
       CountdownNoticeBody(window.Get("Counter").caption,
                           {state.InhibitorLine, CannotReadLine(state), state.UnfinishedLine})});
}

void UpdateCountdownNotice(const SharedState& state, MonitorWindow& window, Services& services) {
  const bool first = state.SecCount == 1;
  const int left = state.settings.ShutTime - state.SecCount + 1;
  if (first) services.windows.RequestAttention(window);
  if (!first && left > 10 && left % 10 != 0) return;
  ShowCountdownNotice(state, window, services);
}

void AskUnfinishedDownloads(SharedState& state, MonitorWindow& window, Services& services) {
  const int init = state.Initialisations;
  const std::string root = ExpandDownloadPath(state.settings.DPath, services.process);
  FileSystem& files = services.files;
  services.events.RunInBackground([&files, root, &state, &window, &services, init] {
    auto found = FindUnfinishedDownloads(files, root);
    return [found = std::move(found), &state, &window, &services, init] {
      if (found.empty() || init != state.Initialisations || state.RunMode != 2) return;
      const std::string count =
          std::to_string(found.size()) + (found.size() == 1 ? " file" : " files");
      const std::string summary = UnfinishedSummary(found, services.locale.decimalSeparator);
      if (state.settings.LogLevel > 1)
        WriteLogEntry(kUnfinishedEntry, count, state, services, summary);
      state.UnfinishedLine = "Unfinished: " + summary;
      ShowNote(state, window);
      ShowCountdownNotice(state, window, services);
      services.windows.Refresh(window);
    };
  });
}

}  // namespace velnook

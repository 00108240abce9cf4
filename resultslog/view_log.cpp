#include "resultslog/view_log.h"

#include "resultslog/log_messages.h"

namespace velnook {

void ViewLogClick(SharedState& state, Services& services) {
  const Settings& s = state.settings;
  if (s.LogLevel == 1) {
    services.messages.Show({MsgIcon::Information, MsgButtons::Ok,
                            state.ProgramTitle + " Log File Error",
                            "Logging is set to None. There\r\nis no information to display."});
    return;
  }
  if (!s.LogPath.empty() && !services.files.FolderExists(s.LogPath))
    EndWithLogMessage(state, services, " Log Directory Error", kLogDirectoryMissingText);
  const std::string path = s.LogPath + s.LogName;
  if (!services.files.FileExists(path))
    EndWithLogMessage(state, services, " Log File Error", kLogFileMissingText);
  // Not being able to look at the log is no reason to stop watching downloads.
  if (!services.launcher.OpenInTextEditor(path))
    services.messages.Show({MsgIcon::Exclamation, MsgButtons::Ok,
                            state.ProgramTitle + " Log File Error",
                            "Unable to opem the log file " + s.LogName +
                                ".\r\n"
                                "This may be a permissions problem."});
}

}  // namespace velnook

#include "resultslog/results_log.h"

#include "config/config_file.h"
#include "config/end_with_message.h"
#include "resultslog/log_line.h"

namespace velnook {

namespace {

const std::string kVersionLine = std::string("Version ") + kProgramVersion;

// Settings outside Normal and Full (only None once loaded) write nothing, so a
// bad level can never raise a log error.
bool Logging(const SharedState& state) {
  return state.settings.LogLevel == 2 || state.settings.LogLevel == 3;
}

std::string LogFilePath(const SharedState& state) {
  return state.settings.LogPath + state.settings.LogName;
}

// Shows an exclamation box with OK (unless the system has asked the program
// to end), then ends the program.
[[noreturn]] void EndWithLogMessage(SharedState& state, Services& services,
                                    const std::string& titleSuffix, const std::string& text) {
  EndWithMessage(state, services,
                 {MsgIcon::Exclamation, MsgButtons::Ok, state.ProgramTitle + titleSuffix, text},
                 true);
}

std::string NowText(Services& services) {
  return FormatDateTime(services.clock.Now(), services.locale);
}

[[noreturn]] void EndWithDirectoryErrorA(SharedState& state, Services& services) {
  EndWithLogMessage(state, services, " Log Directory Error", kLogDirectoryMissingText);
}

[[noreturn]] void EndWithFileErrorB(SharedState& state, Services& services) {
  EndWithLogMessage(state, services, " Log File Error", kLogFileMissingText);
}

void EndWithDirectoryErrorC(SharedState& state, Services& services) {
  EndWithLogMessage(state, services, " Log Directory Error",
                    "The log directory is either missing or\r\n"
                    "corrupted or there could be a permission\r\n"
                    "problem. This directory must be created\r\n"
                    "manually if it is not the default one.\r\n"
                    "To restore the default log directory\r\n"
                    " reinstall the program.\r\n"
                    "The program will now terminate.");
}

// Appends to a log that must already be there. The header's and the entry's
// write-error texts differ only in their full stops.
void AppendToLog(const std::string& text, void (*endWithDirectoryError)(SharedState&, Services&),
                 const char* stop, SharedState& state, Services& services) {
  if (!services.files.FolderExists(state.settings.LogPath)) endWithDirectoryError(state, services);
  const std::string path = LogFilePath(state);
  if (!services.files.FileExists(path)) EndWithFileErrorB(state, services);
  if (!services.files.AppendToFile(path, text))
    EndWithLogMessage(state, services, " Log File Write Error",
                      "Unable to write to the log file " + state.settings.LogName + stop +
                          "\r\n"
                          "This may be a permissions problem.\r\n"
                          "The program will now terminate" +
                          stop);
}

}  // namespace

void EnsureLogFile(SharedState& state, Services& services) {
  if (!Logging(state)) return;
  if (!services.files.FolderExists(state.settings.LogPath)) EndWithDirectoryErrorA(state, services);
  const std::string path = LogFilePath(state);
  if (services.files.FileExists(path)) return;
  // Created whole or not at all: a half-made file would pass as existing at
  // the next start and never get its header.
  const std::string header =
      "Velnook\r\n" + kVersionLine + "\r\nFile Created\r\n" + NowText(services) + "\r\n";
  if (!services.files.ReplaceFile(path, header))
    EndWithLogMessage(state, services, " Log File Error",
                      "Unable to create the log file " + state.settings.LogName +
                          ".\r\n"
                          "This may be a permissions problem.\r\n"
                          "The program will now terminate.");
}

void WriteRunHeader(int kind, SharedState& state, Services& services) {
  if (!Logging(state)) return;
  std::string header;
  if (kind == 0) {
    header = state.ProgramTitle + "\r\n" + kVersionLine + "\r\n";
    if (state.settings.LogLevel == 3) header += state.ConfigSummary + "\r\n";
  } else {
    header = "\r\n" + state.ConfigSummary + "\r\n";
  }
  AppendToLog(header + "\r\n", EndWithDirectoryErrorA, ".", state, services);
}

void WriteLogEntry(const std::string& first, const std::string& second, SharedState& state,
                   Services& services, const std::string& note) {
  if (!Logging(state)) return;
  LogLineFields fields{.time = NowText(services),
                       .testMode = state.TestMode,
                       .count = state.SecCount,
                       .logLevel = state.settings.LogLevel,
                       .cMain = state.settings.CMain,
                       .rateField = state.RateField,
                       .avRateText = state.AvRateText,
                       .linkStatus = state.LinkStatus,
                       .note = note};
  const std::string line = FormatLogLine(first, second, fields);
  AppendToLog(line + "\r\n", EndWithDirectoryErrorC, "", state, services);
}

void ViewLogClick(SharedState& state, Services& services) {
  const Settings& s = state.settings;
  if (s.LogLevel == 1) {
    services.messages.Show({MsgIcon::Information, MsgButtons::Ok,
                            state.ProgramTitle + " Log File Error",
                            "Logging is set to None. There\r\nis no information to display."});
    return;
  }
  if (!s.LogPath.empty() && !services.files.FolderExists(s.LogPath))
    EndWithDirectoryErrorA(state, services);
  const std::string path = s.LogPath + s.LogName;
  if (!services.files.FileExists(path)) EndWithFileErrorB(state, services);
  // Not being able to look at the log is no reason to stop watching downloads.
  if (!services.launcher.OpenInTextEditor(path))
    services.messages.Show({MsgIcon::Exclamation, MsgButtons::Ok,
                            state.ProgramTitle + " Log File Error",
                            "Unable to opem the log file " + s.LogName +
                                ".\r\n"
                                "This may be a permissions problem."});
}

}  // namespace velnook

#include "resultslog/log_archive.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>

#include "config/config_file.h"
#include "config/end_with_message.h"
#include "resultslog/short_date.h"

namespace velnook {

namespace {

// A log holding only a creation or new-log header has fewer lines.
constexpr int kLinesWithData = 9;

[[noreturn]] void EndWith(SharedState& state, Services& services, MsgIcon icon,
                          const std::string& titleSuffix, const char* text) {
  EndWithMessage(state, services, {icon, MsgButtons::Ok, state.ProgramTitle + titleSuffix, text},
                 false);
}

void ShowArchiveFailed(SharedState& state, Services& services) {
  services.messages.Show({MsgIcon::Exclamation, MsgButtons::Ok,
                          state.ProgramTitle + " Log File Error",
                          "Unable to archive the log file Velnook.log.\r\n"
                          "This may be a permissions problem."});
}

// Whether the log has data, read only as far as it takes to know: a block at
// a time, with the window's events running in between. A last line without
// its line end still counts. nullopt when the log cannot be read.
std::optional<bool> LogHasData(Services& services) {
  int lineEnds = 0;
  bool lineOpen = false;
  const bool read = services.files.ReadFileInBlocks(kDefaultLogPath, [&](std::string_view block) {
    lineEnds += static_cast<int>(std::count(block.begin(), block.end(), '\n'));
    lineOpen = block.back() != '\n';
    services.events.ProcessPendingEvents();
    return lineEnds < kLinesWithData;
  });
  if (!read) return std::nullopt;
  return lineEnds + (lineOpen ? 1 : 0) >= kLinesWithData;
}

// Copies the log to the first free archive name, letting the window's
// events run between blocks, and checks the copy is as long as the log.
// CopyFile never overwrites, so a name taken between the test and the copy
// only moves on to the next number. Whatever is written to the log while
// it is copied reaches the copy, which reads on to the log's end.
bool CopyToArchive(Services& services) {
  const LocalTime today = services.clock.Now();
  const BetweenBlocks letEventsRun = [&] { services.events.ProcessPendingEvents(); };
  for (int n = 1; n < 100000; ++n) {
    const std::string name = ArchiveName(today, n);
    if (services.files.FileExists(name) || services.files.FolderExists(name)) continue;
    if (!services.files.CopyFile(kDefaultLogPath, name, letEventsRun)) {
      if (services.files.FileExists(name)) continue;
      return false;
    }
    const auto length = services.files.FileLength(name);
    if (length && length == services.files.FileLength(kDefaultLogPath)) return true;
    services.files.DeleteFile(name);  // a short copy is no archive
    return false;
  }
  return false;
}

bool StartNewLog(Services& services) {
  const LocalTime now = services.clock.Now();
  const std::string header = "Velnook Results Log\r\nVersion " + std::string(kProgramVersion) +
                             "\r\nFile Created\r\n" + FormatShortDate(now, services.locale) + " " +
                             FormatTimeOfDay(now) + "\r\n\r\n\r\n";
  // Deleted first, so a read-only old log gives way to a fresh file.
  if (!services.files.DeleteFile(kDefaultLogPath)) return false;
  return services.files.ReplaceFile(kDefaultLogPath, header);
}

}  // namespace

std::string ArchiveName(const LocalTime& today, int n) {
  char date[16];
  std::snprintf(date, sizeof date, "%02d%02d%02d", today.year % 100, today.month % 100,
                today.day % 100);
  return std::string("Log\\Velnook_") + date + "_" + std::to_string(n) + ".log";
}

ArchiveResult ArchiveLogClick(SharedState& state, Services& services) {
  if (!services.files.FolderExists("Log"))
    EndWith(state, services, MsgIcon::Critical, " Log Directory Error",
            "The log directory does not exist.\r\n"
            "To restore the log directory\r\n"
            "reinstall the program.\r\n"
            "The program will now terminate.");
  if (!services.files.FileExists(kDefaultLogPath))
    EndWith(state, services, MsgIcon::Exclamation, " Log File Error",
            "The log file is either missing\r\n"
            "or corrupted. Delete the log file if\r\n"
            "it exists and restart the program.\r\n"
            "The program will now terminate.");
  const std::optional<bool> hasData = LogHasData(services);
  if (!hasData) {
    ShowArchiveFailed(state, services);
    return {};
  }

  const MsgAnswer answer = services.messages.Show(
      {MsgIcon::Exclamation, MsgButtons::YesNoCancel, state.ProgramTitle + " Archive Log File",
       "Do you want to archive the log file?\r\n"
       "To Archive the results log file and create a new one click Yes\r\n"
       "To Clear the results log file without archiving it click No\r\n"
       "Click Cancel to return"});
  ArchiveResult result;
  if (answer == MsgAnswer::Yes) {
    if (!*hasData) {
      services.messages.Show({MsgIcon::Exclamation, MsgButtons::Ok, "Velnook Log File Error",
                              "There is no data to archive!\r\nLog file not archived."});
      return {};
    }
    if (!CopyToArchive(services)) {
      ShowArchiveFailed(state, services);
      return {};
    }
    result = {"Log File Archived", true};
  } else if (answer == MsgAnswer::No) {
    if (*hasData && services.messages.Show({MsgIcon::None, MsgButtons::YesNo,
                                            state.ProgramTitle + " Create New Log File",
                                            "Are you sure you want to create a new log file?"}) ==
                        MsgAnswer::No)
      return {"", true};
    result = {"Log File Cleared", true};
  } else {
    return {};
  }
  if (!StartNewLog(services)) ShowArchiveFailed(state, services);
  return result;
}

}  // namespace velnook

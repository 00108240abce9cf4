#pragma once
// The configuration screen's Archive button: keeps a dated copy of the default
// log "Log\Velnook.log" and starts a new one, or clears it without a copy,
// after asking. Works on that file whatever LogPath and LogName say.

#include <string>

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

inline constexpr const char* kDefaultLogPath = "Log\\Velnook.log";

// What the screen shows afterwards. The caller clears Status and stops Timer1
// before the click's work, and applies this when it returns.
struct ArchiveResult {
  std::string statusCaption;  // "", "Log File Archived" or "Log File Cleared"
  bool startTimer1 = false;
};

// A missing "Log" folder or log file ends the program; a failed copy, delete
// or write is shown and the program carries on. The log is cleared only once
// its copy is known to be whole. The log is read and copied a block at a
// time with the window's events running in between, so memory stays flat
// and the window answers however long the log is.
ArchiveResult ArchiveLogClick(SharedState& state, Services& services);

// "Log\Velnook_yymmdd_n.log" for today's date and serial number n.
std::string ArchiveName(const LocalTime& today, int n);

}  // namespace velnook

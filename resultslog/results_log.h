#pragma once
// The plain-text results log "LogPath" + "LogName": a creation header, a run
// header per start or settings change, and one line per event. Every write
// opens the file, appends one whole line and closes it again. At level None
// nothing is created, examined or written. Any failure shows its message and
// ends the program; a line is never half written. The configuration
// screen's View Log button opens the log in the desktop's text editor.

#include <string>

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// The two ends shared by the writers and View Log.
inline constexpr const char* kLogDirectoryMissingText =
    "The log directory does not exist. This\r\n"
    "directory must be created manually if\r\n"
    "it is not the default one. To restore\r\n"
    "the default log directory reinstall\r\n"
    "the program.\r\n"
    "The program will now terminate.";

inline constexpr const char* kLogFileMissingText =
    "The log file is either missing or\r\n"
    "corrupted. Delete the log file if\r\n"
    "it exists and restart the program.\r\n"
    "The program will now terminate.";

// Creates the log with its creation header when it is missing; an existing
// file is left as it is.
void EnsureLogFile(SharedState& state, Services& services);

// Writes the header of a run: kind 0 at program start (with the settings at
// level Full), kind 1 after a settings change.
void WriteRunHeader(int kind, SharedState& state, Services& services);

// Appends one entry of two texts with the time, the count and, at level Full,
// the rate figures (master) or the link status (slave); a note, when given,
// ends the line. Two empty texts write the start-up separator of two empty
// lines.
void WriteLogEntry(const std::string& first, const std::string& second, SharedState& state,
                   Services& services, const std::string& note = "");

// At level None only says there is nothing to show. A missing log folder or
// file ends the program; an editor that cannot be started is reported and
// the program carries on.
void ViewLogClick(SharedState& state, Services& services);

}  // namespace velnook

#pragma once
// The results log's failure messages, shared by its writers and its viewer.

#include <string>

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

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

// Stops the monitor timer, shows an exclamation box with OK (unless the
// system has asked the program to end), then removes the notification icon
// and ends the program.
[[noreturn]] void EndWithLogMessage(SharedState& state, Services& services,
                                    const std::string& titleSuffix, const std::string& text);

}  // namespace velnook

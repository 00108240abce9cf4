#pragma once
// The plain-text results log.

#include <string>

#include "config/shared_state.h"
#include "platform/services.h"

namespace velnook {

// Creates the log with its creation header when it is missing.
void EnsureLogFile(SharedState& state, Services& services);

// Appends one entry of two texts to the results log.
void WriteLogEntry(const std::string& first, const std::string& second, SharedState& state,
                   Services& services);

// Writes the header of a run; kind 0 is the program start.
void WriteRunHeader(int kind, SharedState& state, Services& services);

}  // namespace velnook

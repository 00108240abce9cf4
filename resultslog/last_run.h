#pragma once
// How the previous run ended, told in one line from the end of the results
// log it wrote: the action and why, a cancel and the close, or the silence of
// a run cut off by a power loss or a crash.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/shared_state.h"
#include "platform/file_system.h"

namespace velnook {

// Notes that the countdown's entry ("Enter", ShutTypeName) ends with: how
// long the downloads had been quiet (master) or the partner silent (slave)
// when it began, as "Quiet: 300 s".
inline constexpr const char* kQuietNote = "Quiet: ";
inline constexpr const char* kSilentNote = "Silent: ";
std::string CountdownEntryNote(int cMain, int triggerSecs);

// The entry that names the unfinished downloads seen when a countdown began.
inline constexpr const char* kUnfinishedEntry = "Unfinish";

// No more than this much of the log's end is ever read.
inline constexpr std::uint64_t kLastRunTailBytes = 256 * 1024;

// The report on the last run in the log's text |tail| (its last lines, the
// first of them whole), such as "Last run: cancelled at 01:05, closed at
// 07:30"; nothing when the text holds no entry of a run.
std::optional<std::string> LastRunReport(std::string_view tail);

// The report from the end of the configured log, read before this run
// writes to it; nothing at level None or when the log cannot be read.
std::optional<std::string> ReadLastRunReport(const SharedState& state, FileSystem& files);

}  // namespace velnook

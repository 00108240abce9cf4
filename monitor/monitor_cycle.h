#pragma once
// The once-a-second heart of the program: the 500 ms tick, the start delay,
// the one-second rates and their average, and the decision to count down.

#include "config/shared_state.h"
#include "monitor/monitor_window.h"
#include "platform/services.h"

namespace velnook {

// The refresh timer's tick. Every second tick advances the state machine;
// every tick a monitoring master sends its pending link message.
void MonitorCycle(SharedState& state, MonitorWindow& window, Services& services);

// One second of the start delay; the last one takes the baseline.
void StartDelayStep(SharedState& state, MonitorWindow& window, Services& services);

// One monitoring second: count the seconds the condition has held and
// switch to the countdown when they reach TriggerSecs.
void RunStep(SharedState& state, MonitorWindow& window, Services& services);

// A master's measurement: the newest rate into the ring, the average, and
// ShutCond from the average against DownLevel.
void RateStep(SharedState& state, MonitorWindow& window, Services& services);

// The average as shown: one decimal up to 1000, whole above, right-aligned
// in six characters (only the last six remain of a longer number).
std::string FormatAverageRate(double average, const LocaleInfo& locale);

// The rightmost six characters of five spaces and the text.
std::string RightAlignSix(const std::string& text);

}  // namespace velnook

#include "monitor/monitor_cycle.h"

#include <cstdio>

#include "config/end_with_message.h"
#include "config/leading_number.h"
#include "monitor/dir_size.h"
#include "monitor/power_check.h"
#include "monitor/unread_note.h"
#include "resultslog/results_log.h"

namespace velnook {
namespace {

bool MonitorMayRun(const SharedState& state) {
  return !state.ScreenOpen && !state.PartnerMissing && !state.SetupError;
}

// RateText carries the locale's separator; read it back the same way.
double ReadRateText(const std::string& text, const LocaleInfo& locale) {
  std::string t = text;
  for (char& c : t)
    if (c == locale.decimalSeparator) c = '.';
  return LeadingNumber(t).value_or(0.0);
}

[[noreturn]] void EndOnMissingFolder(SharedState& state, Services& services, MsgIcon icon,
                                     const char* lastLine) {
  // The path is still there: say which way its file system went.
  if (!state.DirLostAs.empty() && state.settings.LogLevel > 1)
    WriteLogEntry("DirError", state.DirLostAs, state, services);
  EndWithMessage(state, services,
                 {icon, MsgButtons::Ok, state.ProgramTitle + " Download Directory Error",
                  std::string("The download directory is either missing or\r\n"
                              "corrupted or there could be a permission problem.\r\n") +
                      lastLine},
                 true);
}

}  // namespace

std::string RightAlignSix(const std::string& text) {
  const std::string padded = "     " + text;
  return padded.size() <= 6 ? padded : padded.substr(padded.size() - 6);
}

std::string FormatAverageRate(double average, const LocaleInfo& locale) {
  char buf[64];
  std::snprintf(buf, sizeof buf, average <= 1000 ? "%.1f" : "%.0f", average);
  std::string text = buf;
  for (char& c : text)
    if (c == '.') c = locale.decimalSeparator;
  return RightAlignSix(text);
}

void MonitorCycle(SharedState& state, MonitorWindow& window, Services& services) {
  if (state.TickPhase == 1) {
    if (state.RunMode == 1 && MonitorMayRun(state)) RunStep(state, window, services);
    if (state.RunMode == 0 && MonitorMayRun(state)) StartDelayStep(state, window, services);
    if (state.RunMode == 2 && MonitorMayRun(state)) window.CountdownStep();
    if (state.ScreenCloseCountdown <= 0 && state.ScreenOpen) {
      state.ScreenOpen = false;
      window.CloseDialogs();
    }
    state.TickPhase = 3;
  }
  --state.TickPhase;
  const bool sending = state.RunMode == 1 || (state.RunMode == 0 && state.SecCount == 1);
  if (sending && state.settings.CMain == 1 && !state.PartnerMissing && !state.SetupError)
    window.SendPendingMessage();
}

void StartDelayStep(SharedState& state, MonitorWindow& window, Services& services) {
  const Settings& s = state.settings;
  --state.SecCount;
  window.Get("Counter").caption = "Program Activation In " + std::to_string(state.SecCount) + "s";
  if (state.SecCount <= 0) {
    state.RunMode = 1;
    if (s.LogLevel > 1) WriteLogEntry("Enter", "Run", state, services);
    state.SecCount = 0;
    if (!InitDirSize(s.DPath, state, services))
      EndOnMissingFolder(state, services, MsgIcon::Exclamation, "The program will now terminate");
    ShowUnreadFolders(state, window, services);
    CheckPowerAllowed(state, window, services);
  } else if (state.SecCount != s.StartDelay) {
    if (s.LogLevel == 3) WriteLogEntry("Inactive", "", state, services);
  } else if (s.CMain == 1) {
    window.Get("CPULoad").caption = std::string("0") + services.locale.decimalSeparator + "0KB/s";
  }
}

void RunStep(SharedState& state, MonitorWindow& window, Services& services) {
  const Settings& s = state.settings;
  if (s.CMain == 1) RateStep(state, window, services);
  if (state.ShutCond == 1)
    ++state.SecCount;
  else
    state.SecCount = 0;
  Control& counter = window.Get("Counter");
  counter.bold = true;
  const std::string secs = std::to_string(state.SecCount) + "s";
  if (s.CMain == 1) {
    counter.foreColour = kOrange;
    counter.caption = "Rate less than " + std::to_string(s.DownLevel) + "KB/s for the last " + secs;
  } else if (state.ShutCond == 0) {
    counter.caption = "Connected";
    counter.foreColour = kGreen;
  } else {
    counter.caption = "Not connected for the last " + secs;
    counter.foreColour = kOrange;
  }
  if (state.SecCount >= state.TriggerSecs) {
    state.RunMode = 2;
    state.SecCount = 0;
  } else if (s.LogLevel == 3) {
    WriteLogEntry("Run", "", state, services);
  }
  state.ShutCond = 1;
  state.LinkStatus = "Fail";
}

void RateStep(SharedState& state, MonitorWindow& window, Services& services) {
  const Settings& s = state.settings;
  // Until the first walk is in, a second has no rate of its own.
  const bool baselineKnown = !state.DirBaselinePending;
  if (!GetDirRate(s.DPath, state, services))
    EndOnMissingFolder(state, services, MsgIcon::Critical, "The program will now terminate.");
  ShowUnreadFolders(state, window, services);
  if (!baselineKnown) {
    // The first walk was still going on elsewhere: this second must not
    // count as a quiet one.
    state.ShutCond = 0;
    return;
  }
  // AvTime is checked to be 1..30 when the settings are read; clamp anyway,
  // the ring has 31 slots.
  const int avTime = s.AvTime < 1 ? 1 : (s.AvTime > 30 ? 30 : s.AvTime);
  auto& samples = state.RateSamples;
  samples[0] += 1;
  ++state.SampleIndex;
  if (state.SampleIndex > avTime || state.SampleIndex < 1) state.SampleIndex = 1;
  if (samples[0] > avTime) samples[0] = avTime;
  samples[static_cast<std::size_t>(state.SampleIndex)] =
      ReadRateText(state.RateText, services.locale);
  const int n = static_cast<int>(samples[0]);
  double sum = 0;
  for (int i = 1; i <= n; ++i) sum += samples[static_cast<std::size_t>(i)];
  const double average = sum / n;
  state.ShutCond = average < s.DownLevel ? 1 : 0;
  state.RateField = RightAlignSix(state.RateText);
  state.AvRateText = FormatAverageRate(average, services.locale);
  window.Get("CPULoad").caption = state.AvRateText + "KB/s";
}

}  // namespace velnook

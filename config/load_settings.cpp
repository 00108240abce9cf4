#include "config/load_settings.h"

#include "config/config_file.h"
#include "config/end_with_message.h"
#include "config/settings_check.h"
#include "config/settings_problem.h"

namespace velnook {

namespace {

[[noreturn]] void Fail(SharedState& state, Services& services, const std::string& title,
                       const std::string& text, bool removeTrayIcon) {
  EndWithMessage(state, services, {MsgIcon::Critical, MsgButtons::Ok, title, text}, removeTrayIcon);
}

// The first line of the configuration error, followed by what is wrong or,
// when nothing more is known, the advice to reinstall.
std::string CorruptText(const std::string& problem) {
  return "The configuration file is missing or corrupted.\r\n" +
         (problem.empty() ? std::string("Reinstall the program to restore the file.") : problem);
}

constexpr const char* kReadErrorText =
    "Unable to read the config file. \r\n"
    "This may be a permissions problem.\r\n"
    "The program will now terminate.";

}  // namespace

void LoadSettings(SharedState& state, Services& services) {
  std::string problem;
  switch (ReadConfigFile(services.files, state.settings, state.ConfigSummary, &problem)) {
    case ConfigReadStatus::Ok:
      break;
    case ConfigReadStatus::MissingOrCorrupt:
      Fail(state, services, state.ProgramTitle + " Configuration File Error", CorruptText(problem),
           true);
    case ConfigReadStatus::ReadError:
      Fail(state, services, state.ProgramTitle + " Configuration File Read Error", kReadErrorText,
           true);
  }
  SettingsCheck check = CheckSettingsRanges(state.settings);
  if (check.failedRule)
    Fail(state, services, state.ProgramTitle + " Configuration File Error",
         CorruptText(SettingsRuleProblem(*check.failedRule, state.settings)), false);
  if (check.partnerMissing) state.PartnerMissing = true;
  state.StoredDownDelay = state.settings.DownDelay;
  state.StoredShutTime = state.settings.ShutTime;
}

}  // namespace velnook

#include "config/load_settings.h"

#include <cstdlib>

#include "config/config_file.h"
#include "config/settings_check.h"

namespace velnook {

namespace {

[[noreturn]] void Fail(Services& services, const std::string& title, const char* text,
                       bool removeTrayIcon) {
  services.messages.Show({MsgIcon::Critical, MsgButtons::Ok, title, text});
  services.process.EndProgram(removeTrayIcon, EndKind::Fatal);
  std::abort();  // EndProgram never returns; never carry on with bad settings
}

constexpr const char* kMissingText =
    "The configuration file is missing or corrupted.\r\n"
    "Reinstall the program to restore the file.";
constexpr const char* kReadErrorText =
    "Unable to read the config file. \r\n"
    "This may be a permissions problem.\r\n"
    "The program will now terminate.";

}  // namespace

void LoadSettings(SharedState& state, Services& services) {
  switch (ReadConfigFile(services.files, state.settings, state.ConfigSummary)) {
    case ConfigReadStatus::Ok:
      break;
    case ConfigReadStatus::MissingOrCorrupt:
      Fail(services, state.ProgramTitle + " Configuration File Error", kMissingText, true);
    case ConfigReadStatus::ReadError:
      Fail(services, state.ProgramTitle + " Configuration File Read Error", kReadErrorText, true);
  }
  SettingsCheck check = CheckSettingsRanges(state.settings);
  if (check.failedRule)
    Fail(services, state.ProgramTitle + " Configuration File Error", kMissingText, false);
  if (check.partnerMissing) state.PartnerMissing = true;
  state.StoredDownDelay = state.settings.DownDelay;
  state.StoredShutTime = state.settings.ShutTime;
}

}  // namespace velnook

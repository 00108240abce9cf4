#include "app/program.h"

#include "link/link_message.h"
#include "link/setup_link.h"
#include "monitor/init_monitor.h"
#include "resultslog/last_run.h"
#include "resultslog/log_archive.h"
#include "resultslog/results_log.h"

namespace velnook {

Program::Program(Services& services, std::string argText)
    : main(services, state),
      multiInst(services),
      about(services, state),
      config(services, state,
             {.reinitialise = [this] { main.RunAfterTick([this] { ReinitialiseAfterConfig(); }); },
              .archiveLog =
                  [this] {
                    const ArchiveResult r = ArchiveLogClick(state, services_);
                    return LogButtonResult{r.statusCaption, r.startTimer1};
                  },
              .viewLog = [this] { ViewLogClick(state, services_); },
              .openWebSite = [this] { OpenMakerWebSite(services_); }}),
      services_(services),
      partner_(state, services),
      commandLine_(ParseCommandLine(argText)) {
  main.showAbout = [this] { about.Open(); };
  main.showConfig = [this] { config.Open(); };
  main.closeDialogs = [this] {
    about.CloseWithoutActions();
    config.CloseWithoutActions();
  };
}

void Program::ProcessEntry() {
  const bool allowMulti = commandLine_.allowMulti;
  // Asked in either case, so that a first instance always takes the lock.
  const bool another = services_.lock.IsAnotherInstance("Velnook");
  if (allowMulti || !another) {
    StartupSequence();
    running_ = true;
    // A start-minimised window is already in the notification area.
    if (main.state == WindowState::Normal) services_.windows.Show(main);
    return;
  }
  multiInst.OnLoad();
  services_.windows.Show(multiInst);
  multiInst.OnActivate();
  services_.windows.Refresh(multiInst);
}

void Program::EndBySystem() {
  state.EndRequested = true;
  // Before the start-up sequence has finished there is no run to log an end
  // of, and the log may not exist yet.
  if (running_) main.Unload();
  services_.process.EndProgram(true, EndKind::Normal);
}

void Program::StartupSequence() {
  if (!services_.files.FolderExists("Data")) {
    services_.messages.Show({MsgIcon::Critical, MsgButtons::Ok, "Velnook Data Directory Error",
                             "The data directory does not exist.\r\n"
                             "To restore the data directory\r\n"
                             "reinstall the program.\r\n"
                             "The program will now terminate."});
    services_.process.EndProgram(false, EndKind::Fatal);
  }
  SetupLink(state, services_, partner_);
  // Read before this run writes to the log.
  const auto lastRun = ReadLastRunReport(state, services_.files);
  main.caption = "Velnook";
  state.StartSwitch = commandLine_.startSwitch;
  services_.process.RaisePriority();
  state.WindowStateOverride = false;
  InitMonitor(state, main, services_);
  const bool logging = state.settings.LogLevel == 2 || state.settings.LogLevel == 3;
  if (logging) WriteLogEntry("", "", state, services_);
  if (logging) {
    WriteRunHeader(0, state, services_);
    if (state.PartnerMissing) WriteLogEntry("UnConfig", "********", state, services_);
  }
  ShowMonitorTexts(state, main, services_);
  ShowLinkTitle(state, main);
  if (lastRun) {
    main.ShowLastRun(*lastRun);
    services_.notifier.Tell({state.ProgramTitle, *lastRun});
  }
}

void Program::ReinitialiseAfterConfig() {
  SetupLink(state, services_, partner_);
  InitMonitor(state, main, services_);  // which makes the log when it is missing
  // The log writers skip levels that log nothing; the run header is for Full alone.
  if (!state.PartnerMissing) {
    WriteLogEntry("Config", "Updated", state, services_);
    if (state.settings.LogLevel == 3) WriteRunHeader(1, state, services_);
  }
  ShowMonitorTexts(state, main, services_);
  ShowLinkTitle(state, main);
  state.AutoMinimise = false;
  state.ScreenOpen = false;
}

CommandLine ParseCommandLine(const std::string& argText) {
  static const std::string kAllowMulti = "-AllowMulti";
  CommandLine c;
  c.allowMulti =
      argText.size() >= kAllowMulti.size() &&
      argText.compare(argText.size() - kAllowMulti.size(), kAllowMulti.size(), kAllowMulti) == 0;
  const std::string head = argText.substr(0, 16);
  if (head == "-InhibitShutdown") c.startSwitch = 1;
  if (head == "-AddErrorMessage") c.startSwitch = 2;
  return c;
}

std::optional<std::string> PairKeyRequest(const std::string& argText) {
  static const std::string kPairKey = "-PairKey";
  if (argText == kPairKey) return std::string();
  if (argText.rfind(kPairKey + " ", 0) != 0) return std::nullopt;
  return argText.substr(kPairKey.size() + 1);
}

}  // namespace velnook

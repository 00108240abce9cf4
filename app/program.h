#pragma once
// The process entry and the start-up sequence of the main window, and the
// command line that decides them.

#include <cstdint>
#include <optional>
#include <string>

#include "app/frm_about.h"
#include "app/multi_inst.h"
#include "app/velnook_main.h"
#include "config/frm_config.h"
#include "config/shared_state.h"
#include "link/partner_lookup.h"
#include "platform/services.h"

namespace velnook {

// The three command-line switches, each recognised only at its fixed place.
struct CommandLine {
  bool allowMulti = false;       // the text ends with "-AllowMulti"
  std::int16_t startSwitch = 0;  // 1 "-InhibitShutdown", 2 "-AddErrorMessage" at the start
};

// argText is the command line without the program path.
CommandLine ParseCommandLine(const std::string& argText);

// "-PairKey", alone or followed by a key, asks for no window but for the
// pair key to be set: the key given, empty for a new one; nullopt for any
// other command line.
std::optional<std::string> PairKeyRequest(const std::string& argText);

class Program {
 public:
  // argText: the command line without the program path.
  Program(Services& services, std::string argText);

  // Decides whether this instance may run and shows its first window.
  void ProcessEntry();
  // The system asks the program to end (a signal, the session ending): the
  // main window unloads as if closed; a refused instance simply ends.
  [[noreturn]] void EndBySystem();
  // The start-up sequence has run: this is an instance, not a refused start,
  // and the user's other commands (velnook -Cancel) reach it.
  bool Runs() const { return running_; }

  SharedState state;
  VelnookMain main;
  MultiInst multiInst;
  FrmAbout about;
  FrmConfig config;

 private:
  void StartupSequence();
  // Closing the configuration screen after a saved change: read the
  // settings again and restart everything that depends on them.
  void ReinitialiseAfterConfig();
  Services& services_;
  PartnerLookup partner_;
  CommandLine commandLine_;  // read once: the switches are fixed for the run
  bool running_ = false;     // the start-up sequence has finished
};

}  // namespace velnook

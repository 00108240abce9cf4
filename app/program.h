#pragma once
// The process entry and the start-up sequence of the main window.

#include <string>

#include "app/command_line.h"
#include "app/frm_about.h"
#include "app/multi_inst.h"
#include "app/velnook_main.h"
#include "config/frm_config.h"
#include "config/shared_state.h"
#include "link/partner_lookup.h"
#include "platform/services.h"

namespace velnook {

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

#pragma once
// The program-wide record: the settings and the run-time state that several
// modules read and write. Each field has one owning module.

#include <cstdint>
#include <string>

#include "config/settings.h"

namespace velnook {

struct SharedState {
  Settings settings;

  // Settings file.
  std::string ConfigSummary;    // significant lines of the file as last read
  bool PartnerMissing = false;  // slave without a usable partner address
  bool SetupError = false;      // port in use or download folder missing
  std::string ProgramTitle = "Velnook";

  // Start-up.
  std::int16_t StartSwitch = 0;  // 0 none, 1 -InhibitShutdown, 2 -AddErrorMessage
  bool ScreenOpen = false;

  // Directory measurement, in bytes.
  std::string RateText = "0";
  std::int64_t DirTotal = 0;
  std::int64_t DirPrevTotal = 0;
};

}  // namespace velnook

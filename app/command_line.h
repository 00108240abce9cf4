#pragma once
// The three command-line switches, each recognised only at its fixed place.

#include <cstdint>
#include <optional>
#include <string>

namespace velnook {

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

}  // namespace velnook

#include "app/command_line.h"

namespace velnook {

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

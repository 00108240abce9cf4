#include "platform/headless/test_process.h"

namespace velnook {

std::optional<std::string> TestProcess::GetEnvironment(const std::string& name) {
  auto it = environment.find(name);
  if (it == environment.end()) return std::nullopt;
  return it->second;
}

void TestProcess::End(bool removeTrayIcon, EndKind kind) {
  if (removeTrayIcon && windows) windows->RemoveTrayIcon();
  throw ProgramEnded{removeTrayIcon, kind};
}

}  // namespace velnook

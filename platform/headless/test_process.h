#pragma once
// Process services for tests: ending the program throws, so a test can see
// that it happened and how.

#include <map>
#include <string>

#include "platform/headless/headless_windows.h"
#include "platform/process.h"

namespace velnook {

struct ProgramEnded {
  bool trayIconRemoved = false;
  EndKind kind = EndKind::Normal;
};

class TestProcess : public Process {
 public:
  void RaisePriority() override { ++priorityRaises; }
  std::optional<std::string> GetEnvironment(const std::string& name) override;
  [[noreturn]] void End(bool removeTrayIcon, EndKind kind) override;

  std::map<std::string, std::string> environment;
  int priorityRaises = 0;
  HeadlessWindows* windows = nullptr;  // its tray icon goes when asked
};

}  // namespace velnook

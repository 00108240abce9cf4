#pragma once
// Process services over POSIX: priority, environment and the program's end.

#include <functional>

#include "platform/process.h"

namespace velnook {

class PosixProcess : public Process {
 public:
  // removeTrayIcon runs before the end when the caller asks for it.
  explicit PosixProcess(std::function<void()> removeTrayIcon = {})
      : removeTrayIcon_(std::move(removeTrayIcon)) {}
  void RaisePriority() override;
  std::optional<std::string> GetEnvironment(const std::string& name) override;
  [[noreturn]] void End(bool removeTrayIcon, EndKind kind) override;

 private:
  std::function<void()> removeTrayIcon_;
};

}  // namespace velnook

#pragma once
// The instance lock as an advisory lock on a file, which the system drops
// when the process dies, so a crash never blocks the next start.

#include <string>

#include "platform/process.h"

namespace velnook {

class FlockInstanceLock : public InstanceLock {
 public:
  // lockDir empty: $XDG_RUNTIME_DIR, else the temp directory.
  explicit FlockInstanceLock(std::string lockDir = "");
  ~FlockInstanceLock() override;
  bool IsAnotherInstance(const std::string& name) override;

 private:
  std::string dir_;
  int fd_ = -1;
};

}  // namespace velnook

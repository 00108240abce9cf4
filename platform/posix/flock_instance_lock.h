#pragma once
// The instance lock as an advisory lock on a file, which the system drops
// when the process dies, so a crash never blocks the next start.

#include <string>

#include "platform/process.h"

namespace velnook {

class FlockInstanceLock : public InstanceLock {
 public:
  // lockDir empty: the user's own folder (UserRunFolder), where the
  // terminal's Cancel finds the instances as well.
  explicit FlockInstanceLock(std::string lockDir = "");
  ~FlockInstanceLock() override;
  bool IsAnotherInstance(const std::string& name) override;

 private:
  std::string dir_;
  int fd_ = -1;
};

}  // namespace velnook

#pragma once
// The instance lock as a named mutex, which the system drops when the
// process ends, so a crash never blocks the next start.

#include <string>

#include "platform/process.h"

namespace velnook {

class Win32MutexInstanceLock : public InstanceLock {
 public:
  // |scope| goes in front of every name, so that tests running side by side
  // keep their locks apart; the program leaves it empty.
  explicit Win32MutexInstanceLock(std::string scope = "");
  ~Win32MutexInstanceLock() override;
  Win32MutexInstanceLock(const Win32MutexInstanceLock&) = delete;
  Win32MutexInstanceLock& operator=(const Win32MutexInstanceLock&) = delete;
  bool IsAnotherInstance(const std::string& name) override;

 private:
  std::string scope_;
  void* handle_ = nullptr;
};

}  // namespace velnook

#include "platform/posix/posix_process.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace velnook {

void PosixProcess::RaisePriority() {
  // Raising needs privilege; without it the current priority stays.
  int current = ::getpriority(PRIO_PROCESS, 0);
  if (current > -10) (void)::setpriority(PRIO_PROCESS, 0, -10);
}

std::optional<std::string> PosixProcess::GetEnvironment(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  if (!v) return std::nullopt;
  return std::string(v);
}

void PosixProcess::End(bool removeTrayIcon, EndKind kind) {
  if (removeTrayIcon && removeTrayIcon_) removeTrayIcon_();
  std::fflush(nullptr);
  // No unwinding through the window toolkit: every file is already closed.
  ::_exit(kind == EndKind::Normal ? 0 : 1);
}

}  // namespace velnook

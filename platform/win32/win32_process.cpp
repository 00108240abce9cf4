#include "platform/win32/win32_process.h"

#include <cstdio>

#include "platform/win32/windows_api.h"

namespace velnook {

void Win32Process::RaisePriority() {
  // Results ignored: without the right the priorities simply stay.
  ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  ::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS);
}

std::optional<std::string> Win32Process::GetEnvironment(const std::string& name) {
  const DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::string value(size, '\0');
  const DWORD n = ::GetEnvironmentVariableA(name.c_str(), value.data(), size);
  if (n >= size) return std::nullopt;  // changed between the two calls
  value.resize(n);
  return value;
}

void Win32Process::End(bool removeTrayIcon, EndKind kind) {
  if (removeTrayIcon && removeTrayIcon_) removeTrayIcon_();
  std::fflush(nullptr);
  // Every file is already closed; the system frees the mutex and the windows.
  ::ExitProcess(kind == EndKind::Normal ? 0 : 1);
}

}  // namespace velnook

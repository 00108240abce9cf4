#include "platform/win32/win32_mutex_instance_lock.h"

#include "platform/win32/windows_api.h"

namespace velnook {

Win32MutexInstanceLock::Win32MutexInstanceLock(std::string scope) : scope_(std::move(scope)) {
  // A mutex name may not hold "\" beyond its namespace prefix.
  for (char& c : scope_)
    if (c == '\\' || c == '/' || c == ':') c = '_';
}

Win32MutexInstanceLock::~Win32MutexInstanceLock() {
  if (handle_) ::CloseHandle(handle_);
}

bool Win32MutexInstanceLock::IsAnotherInstance(const std::string& name) {
  if (handle_) return false;
  const std::string full = scope_.empty() ? name : scope_ + "_" + name;
  HANDLE h = ::CreateMutexA(nullptr, TRUE, full.c_str());
  if (!h) return false;  // no lock to be had: let this instance run
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(h);
    return true;
  }
  handle_ = h;
  return false;
}

}  // namespace velnook

#include "platform/win32/win32_power.h"

#include "platform/win32/windows_api.h"

namespace velnook {

std::string SystemErrorText(std::uint32_t code) {
  char buffer[255];
  const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, buffer, sizeof buffer, nullptr);
  return std::string(buffer, n);
}

unsigned ExitWindowsFlags(PowerAction action) {
  switch (action) {
    case PowerAction::PowerOff:
      return EWX_POWEROFF | EWX_FORCE;
    case PowerAction::Reboot:
      return EWX_REBOOT | EWX_FORCE;
    case PowerAction::Halt:
      return EWX_SHUTDOWN | EWX_FORCE;
    case PowerAction::Hibernate:
    case PowerAction::Suspend:
      break;
  }
  return 0;
}

namespace {

PowerFailure LastError(PowerStep step) {
  return {step, SystemErrorText(::GetLastError())};
}

}  // namespace

std::optional<PowerFailure> Win32Power::EnablePrivilege(PowerAction) {
  TOKEN_PRIVILEGES wanted{};
  if (!::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &wanted.Privileges[0].Luid))
    return LastError(PowerStep::FindAuthority);
  HANDLE process = ::GetCurrentProcess();
  if (!process) return LastError(PowerStep::IdentifyProcess);
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return LastError(PowerStep::Authorise);
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  TOKEN_PRIVILEGES previous{};
  DWORD length = 0;
  // Only the call's own result counts: a token without the privilege gets
  // through here and its request then fails with the system's reason.
  if (!::AdjustTokenPrivileges(token, FALSE, &wanted, sizeof previous, &previous, &length)) {
    const PowerFailure f = LastError(PowerStep::Authorise);
    ::CloseHandle(token);
    return f;
  }
  ::CloseHandle(token);
  return std::nullopt;
}

std::optional<PowerFailure> Win32Power::Request(PowerAction action) {
  if (action == PowerAction::Hibernate || action == PowerAction::Suspend) {
    // Returns once the computer has woken, or at once when it was refused;
    // either way the program goes on as after a wake-up.
    ::SetSuspendState(action == PowerAction::Hibernate, TRUE, FALSE);
    if (auto f = std::move(onResumed_)) {
      onResumed_ = nullptr;
      if (runLater_)
        runLater_(std::move(f));
      else
        f();
    }
    return std::nullopt;
  }
  if (!::ExitWindowsEx(ExitWindowsFlags(action), 0xFFFFFFFF)) return LastError(PowerStep::Request);
  return std::nullopt;
}

void Win32Power::CallWhenResumed(std::function<void()> onResumed) {
  onResumed_ = std::move(onResumed);
}

}  // namespace velnook

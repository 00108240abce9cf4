#include "platform/win32/win32_power.h"

#include <vector>

#include "platform/win32/windows_api.h"

namespace velnook {

std::string SystemErrorText(std::uint32_t code) {
  char buffer[255];
  const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, buffer, sizeof buffer, nullptr);
  return std::string(buffer, n);
}

namespace {

// The forced ExitWindowsEx flags of an action; 0 for the two sleeps, which
// are not ExitWindowsEx requests.
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

PowerFailure LastError(PowerStep step) {
  return {step, SystemErrorText(::GetLastError())};
}

// kPowerAllowed when the token holds the shutdown privilege, enabled or not:
// the request enables it.
std::string ShutdownPrivilegeAnswer() {
  LUID luid{};
  if (!::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &luid)) return "no privilege value";
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return "no access";
  DWORD size = 0;
  ::GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  bool held = false;
  if (size > 0 && ::GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID& l = privileges->Privileges[i].Luid;
      if (l.LowPart == luid.LowPart && l.HighPart == luid.HighPart) held = true;
    }
  }
  ::CloseHandle(token);
  return held ? kPowerAllowed : "no shutdown privilege";
}

std::string SleepAnswer(PowerAction action) {
  SYSTEM_POWER_CAPABILITIES caps{};
  if (!::GetPwrCapabilities(&caps)) return "no answer";
  if (action == PowerAction::Hibernate)
    return caps.SystemS4 && caps.HiberFilePresent ? kPowerAllowed : "not supported";
  return caps.SystemS1 || caps.SystemS2 || caps.SystemS3 ? kPowerAllowed : "not supported";
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

void Win32Power::Later(std::function<void()> f) {
  if (runLater_)
    runLater_(std::move(f));
  else
    f();
}

void Win32Power::AskAllowed(PowerAction action, std::function<void(std::string)> onAnswer) {
  std::string answer = ShutdownPrivilegeAnswer();
  const bool sleeps = action == PowerAction::Hibernate || action == PowerAction::Suspend;
  if (answer == kPowerAllowed && sleeps) answer = SleepAnswer(action);
  // Both are quick local questions; the answer still comes later, as promised.
  Later([onAnswer = std::move(onAnswer), answer] { onAnswer(answer); });
}

void Win32Power::ListInhibitors(std::function<void(std::vector<Inhibitor>)> onList) {
  Later([onList = std::move(onList)] { onList({}); });
}

}  // namespace velnook

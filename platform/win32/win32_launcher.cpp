#include "platform/win32/win32_launcher.h"

#include <string>

#include "platform/win32/windows_api.h"

namespace velnook {

bool Win32Launcher::OpenWebPage(const std::string& url) {
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteA(nullptr, "Open", url.c_str(), "", "", SW_SHOWNORMAL));
  return result >= 32;
}

bool Win32Launcher::OpenInTextEditor(const std::string& path) {
  std::string command = "notepad.exe " + path;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
    return false;
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  return true;
}

}  // namespace velnook

#include "platform/win32/win32_folder_chooser.h"

#include "platform/win32/windows_api.h"
// clang-format off
#include <shlobj.h>
// clang-format on

namespace velnook {

namespace {

// Opens the browser at the start folder once it is shown.
int CALLBACK SelectStart(HWND dialog, UINT msg, LPARAM, LPARAM start) {
  if (msg == BFFM_INITIALIZED) ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}

}  // namespace

std::optional<std::string> Win32FolderChooser::ChooseFolder(const std::string& title,
                                                            const std::string& start) {
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = ::GetActiveWindow();
  info.pszDisplayName = display;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = SelectStart;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderA(&info);
  if (!chosen) return std::nullopt;
  char path[MAX_PATH] = {};
  const bool ok = ::SHGetPathFromIDListA(chosen, path) != FALSE;
  ::CoTaskMemFree(chosen);
  if (!ok) return std::nullopt;  // not a folder of the file system
  std::string folder = path;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace velnook

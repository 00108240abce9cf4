// The desktop names its download folder in user-dirs.dirs, a shell fragment
// such as XDG_DOWNLOAD_DIR="$HOME/Téléchargements".

#include <string_view>

#include "config/default_download_path.h"
#include "platform/native_text.h"

namespace velnook {

namespace {

constexpr const char* kFallback = "~/Downloads/";

// The value of XDG_DOWNLOAD_DIR as "~/..." or an absolute path; empty when
// the file names none or one the program could not use.
std::string DownloadDirOf(std::string_view text) {
  constexpr std::string_view kKey = "XDG_DOWNLOAD_DIR=\"";
  std::string found;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line.compare(start, kKey.size(), kKey) != 0) continue;
    line.remove_prefix(start + kKey.size());
    std::string value;
    bool closed = false;
    for (size_t i = 0; i < line.size() && !closed; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        value += line[++i];
      } else if (line[i] == '"') {
        closed = true;
      } else {
        value += line[i];
      }
    }
    if (closed) found = value;  // the last assignment wins, as in the shell
  }
  while (found.size() > 1 && found.back() == '/') found.pop_back();
  constexpr std::string_view kHome = "$HOME/";
  if (found.compare(0, kHome.size(), kHome) == 0) return "~/" + found.substr(kHome.size());
  // "$HOME" alone switches the folder off; anything else relative is invalid.
  if (found.size() > 1 && found.front() == '/') return found;
  return "";
}

}  // namespace

std::string DefaultDownloadPath(FileSystem& files, Process& process) {
  const auto home = process.GetEnvironment("HOME");
  auto config = process.GetEnvironment("XDG_CONFIG_HOME");
  // As XDG has it: unset, empty or relative means ~/.config.
  if (!config || config->empty() || config->front() != '/') config = home.value_or("") + "/.config";
  const auto text = files.ReadFile(*config + "/user-dirs.dirs");
  if (!text) return kFallback;
  const std::string folder = DownloadDirOf(*text) + "/";
  const size_t length = CharacterCount(folder);
  if (length < 4 || length > 100) return kFallback;  // the settings check would refuse it
  return folder;
}

}  // namespace velnook

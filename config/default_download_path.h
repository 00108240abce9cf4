#pragma once
// The download directory that fresh settings name: on Linux the desktop's
// own download folder, on Windows the Internet cache folder of the profile.

#include <string>

#include "platform/file_system.h"
#include "platform/process.h"

namespace velnook {

// A value that passes the settings' own rules, ending in a separator.
std::string DefaultDownloadPath(FileSystem& files, Process& process);

}  // namespace velnook

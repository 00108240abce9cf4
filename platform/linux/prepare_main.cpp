// Prepares a working directory for Velnook: a settings file with the default
// values and the desktop's own download folder, the log folder, and that
// download folder. An existing settings file is never touched, so the user's
// settings are never lost.
//
//   velnook-prepare [working directory]

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "config/config_file.h"
#include "config/default_download_path.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_process.h"

int main(int argc, char** argv) {
  if (argc > 1 && ::chdir(argv[1]) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  velnook::PosixFileSystem files;
  files.CreateFolder("Data");
  files.CreateFolder("Log");
  velnook::PosixProcess process;
  const std::string downloads = velnook::DefaultDownloadPath(files, process);
  ::mkdir(velnook::ToNativePath(downloads).c_str(), 0755);  // the monitor needs it to exist
  if (files.FileExists(velnook::kConfigFilePath)) {
    std::printf("Keeping the existing %s\n", velnook::kConfigFilePath);
    return 0;
  }
  velnook::ConfigValues defaults;
  defaults.DPath = downloads;
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  velnook::LocalTime now{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                         tm.tm_hour,        tm.tm_min,     tm.tm_sec};
  if (!velnook::WriteConfigFile(files, defaults, now, velnook::LocaleInfo{})) {
    std::fprintf(stderr, "Unable to write %s\n", velnook::kConfigFilePath);
    return 1;
  }
  std::printf("Wrote %s with the default settings\n", velnook::kConfigFilePath);
  return 0;
}

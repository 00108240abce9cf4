// A disk that fills up half-way through the settings file, and special
// files in its place, as a POSIX system lets a test make them.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "config/config_file.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/posix/posix_file_system.h"

namespace velnook {
namespace {

const LocalTime kSaved{2026, 12, 5, 3, 0, 38};

// Runs f in a child process whose file-size limit stops writes past
// limitBytes; returns what f returned.
bool InChildWithFileSizeLimit(rlim_t limitBytes, const std::function<bool()>& f) {
  pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG
    rlimit r{limitBytes, limitBytes};
    ::setrlimit(RLIMIT_FSIZE, &r);
    ::_exit(f() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ConfigFile, AFailedWriteLeavesTheOldFileWhole) {
  TempWorkDir dir;
  PosixFileSystem files;
  const std::string old = "old settings\r\n";
  dir.Write("Data/Velnook.ini", old);
  ConfigValues v;
  v.DPath = std::string(90, 'x') + "\\";
  // The disk fills up half-way through the new file.
  EXPECT_FALSE(InChildWithFileSizeLimit(
      100, [&] { return WriteConfigFile(files, v, kSaved, LocaleInfo{}); }));
  EXPECT_EQ(dir.Read("Data/Velnook.ini"), old);
  // No temporary file is left behind.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path() + "/Data")) (void)e, ++entries;
  EXPECT_EQ(entries, 1);

  // A missing folder is a failure too, never reported as saved.
  std::filesystem::remove_all(dir.Path() + "/Data");
  EXPECT_FALSE(WriteConfigFile(files, v, kSaved, LocaleInfo{}));
}

TEST(ConfigFile, AFifoInItsPlaceIsAReadErrorNeverAWaitAndIsNotReplaced) {
  ::alarm(60);  // an open that waits for a writer ends the test binary
  TempWorkDir dir;
  PosixFileSystem files;
  dir.Write("Data/.keep", "");
  ASSERT_EQ(::mkfifo("Data/Velnook.ini", 0644), 0);
  Settings settings;
  std::string summary;
  EXPECT_EQ(ReadConfigFile(files, settings, summary), ConfigReadStatus::ReadError);
  EXPECT_FALSE(WriteConfigFile(files, ConfigValues{}, kSaved, LocaleInfo{}));
  EXPECT_TRUE(std::filesystem::is_fifo(dir.Path() + "/Data/Velnook.ini"));
  ::alarm(0);
}

}  // namespace
}  // namespace velnook

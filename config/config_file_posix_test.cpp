// What only a POSIX system lets a test make: a disk that fills up half-way
// through the settings file, special files in its place, and a process
// locale of another language.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
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

// Switches the process to de_DE.UTF-8 the way Qt does at start-up, from a
// locale compiled into folder, and back to C at the end.
class GermanProcessLocale {
 public:
  explicit GermanProcessLocale(const std::string& folder) {
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + folder + "/de_DE.UTF-8' >/dev/null 2>&1";
    [[maybe_unused]] int ignored = std::system(command.c_str());  // warnings give 1
    ::setenv("LOCPATH", folder.c_str(), 1);
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    std::setlocale(LC_ALL, "");
  }
  ~GermanProcessLocale() {
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LC_ALL");
    ::unsetenv("LOCPATH");
  }
  GermanProcessLocale(const GermanProcessLocale&) = delete;
  GermanProcessLocale& operator=(const GermanProcessLocale&) = delete;
};

TEST(ConfigFile, NumbersReadAlikeUnderEveryProcessLocale) {
  TempWorkDir dir;
  PosixFileSystem files;
  ConfigValues v;
  dir.Write("Data/Velnook.ini", ComposeConfigFile(v, kSaved, LocaleInfo{}));
  std::string text = dir.Read("Data/Velnook.ini");
  auto set = [&text](const std::string& key, const std::string& value) {
    const size_t at = text.find(key + "=") + key.size() + 1;
    text.replace(at, text.find('\r', at) - at, value);
  };
  set("AvTime", "2.7");
  set("DownLevel", "2.7");
  set("ShutTime", "6.25e1");
  set("Port1", "1.00015E4");
  dir.Write("Data/Velnook.ini", text);

  auto load = [&files] {
    Settings s;
    std::string summary;
    EXPECT_EQ(ReadConfigFile(files, s, summary), ConfigReadStatus::Ok);
    return std::vector<int>{s.AvTime, s.DownLevel, s.ShutTime, s.Port1};
  };
  const std::vector<int> expected = {3, 3, 62, 10002};
  EXPECT_EQ(load(), expected);
  GermanProcessLocale german(dir.Path());
  ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "de_DE.UTF-8 did not load";
  EXPECT_EQ(load(), expected);
}

}  // namespace
}  // namespace velnook

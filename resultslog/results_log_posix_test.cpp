// Disks that fill up and special files in the log's place, as a POSIX
// system lets a test make them.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "resultslog/results_log_fixture.h"

namespace velnook {
namespace {

// A full disk, and a FIFO nobody reads, whose ordinary open would wait for
// ever, in the log's place.
TEST_F(ResultsLogTest, FullDiskOrFifoEndsWithTheWriteErrors) {
  ::alarm(60);  // an open that waits ends the test binary
  std::filesystem::create_symlink("/dev/full", dir.Path() + "/Log/Disk.log");
  ASSERT_EQ(::mkfifo("Log/Fifo.log", 0644), 0);
  for (const std::string name : {"Disk.log", "Fifo.log"}) {
    SCOPED_TRACE(name);
    state.settings.LogName = name;
    EnsureLogFile(state, hs.services);  // it exists, so it is left alone
    MessageBoxRequest m = EndsWith([&] { WriteRunHeader(0, state, hs.services); });
    EXPECT_EQ(m.title, "Velnook Log File Write Error");
    EXPECT_EQ(m.text, "Unable to write to the log file " + name +
                          ".\r\nThis may be a permissions problem.\r\n"
                          "The program will now terminate.");
    m = EndsWith([&] { WriteLogEntry("Run", "", state, hs.services); });
    EXPECT_EQ(m.title, "Velnook Log File Write Error");
    EXPECT_EQ(m.text, "Unable to write to the log file " + name +
                          "\r\nThis may be a permissions problem.\r\n"
                          "The program will now terminate");
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir.Path() + "/Log/Fifo.log"));
  ::alarm(0);
}

TEST_F(ResultsLogTest, DiskFillingMidLineLeavesTheEarlierLinesWhole) {
  EnsureLogFile(state, hs.services);
  WriteLogEntry("Enter", "Run", state, hs.services);
  const std::string before = Log();
  // The file may grow by a few bytes only: the next line gets in part-way.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = before.size() + 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const MessageBoxRequest m = EndsWith([&] { WriteLogEntry("Run", "", state, hs.services); });
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(m.title, "Velnook Log File Write Error");
  EXPECT_EQ(Log(), before);
}

}  // namespace
}  // namespace velnook

// A full disk in the log's place, as a POSIX system lets a test make it.
#include <gtest/gtest.h>

#include <filesystem>

#include "resultslog/results_log_fixture.h"

namespace velnook {
namespace {

TEST_F(ResultsLogTest, AFullDiskEndsWithTheWriteErrors) {
  std::filesystem::create_symlink("/dev/full", dir.Path() + "/Log/Disk.log");
  state.settings.LogName = "Disk.log";
  EnsureLogFile(state, hs.services);  // it exists, so it is left alone
  MessageBoxRequest m = EndsWith([&] { WriteRunHeader(0, state, hs.services); });
  EXPECT_EQ(m.title, "Velnook Log File Write Error");
  EXPECT_EQ(m.text,
            "Unable to write to the log file Disk.log.\r\nThis may be a permissions problem.\r\n"
            "The program will now terminate.");
  m = EndsWith([&] { WriteLogEntry("Run", "", state, hs.services); });
  EXPECT_EQ(m.text,
            "Unable to write to the log file Disk.log\r\nThis may be a permissions problem.\r\n"
            "The program will now terminate");
}

}  // namespace
}  // namespace velnook

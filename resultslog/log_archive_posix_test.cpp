// Special files where the log or an archive should be, as a POSIX system
// lets a test make them.
#include <sys/stat.h>
#include <unistd.h>

#include "resultslog/log_archive_fixture.h"

namespace velnook {
namespace {

TEST_F(ArchiveTest, AFifoAtTheLogIsReportedWithoutWaitingAndLeftAlone) {
  ::alarm(60);  // an open that waits for a writer ends the test binary
  dir.Write("Log/.keep", "");
  ASSERT_EQ(::mkfifo("Log/Velnook.log", 0644), 0);
  EXPECT_EQ(Click({MsgAnswer::Yes}).statusCaption, "");
  ASSERT_EQ(hs.messages.shown.size(), 1u);  // not even asked
  EXPECT_EQ(hs.messages.shown[0].title, "Velnook Log File Error");
  EXPECT_EQ(hs.messages.shown[0].text,
            "Unable to archive the log file Velnook.log.\r\nThis may be a permissions problem.");
  EXPECT_TRUE(std::filesystem::is_fifo(dir.Path() + "/Log/Velnook.log"));
  ::alarm(0);
}

TEST_F(ArchiveTest, AFifoAtAnArchiveNameIsPassedOver) {
  dir.Write("Log/Velnook.log", Lines(9));
  ASSERT_EQ(::mkfifo("Log/Velnook_261205_1.log", 0644), 0);
  EXPECT_EQ(Click({MsgAnswer::Yes}).statusCaption, "Log File Archived");
  EXPECT_EQ(dir.Read("Log/Velnook_261205_2.log"), Lines(9));
  EXPECT_TRUE(std::filesystem::is_fifo(dir.Path() + "/Log/Velnook_261205_1.log"));
}

}  // namespace
}  // namespace velnook

// A download next to a folder an ordinary user cannot read: the program,
// run as nobody, sees it every second, never counts towards a power-off,
// and says once which folder it cannot read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/main_job_fixture.h"
#include "as_nobody.h"
#include "monitor/unread_note.h"

namespace velnook {
namespace {

namespace fs = std::filesystem;

TEST_F(MainJobTest, ADownloadNextToALockedFolderIsSeenAndTheFolderNamedOnce) {
  dir.Write("dls/locked/old", std::string(5000, 'o'));
  // The working folder becomes nobody's: only the permissions keep it out.
  ASSERT_TRUE(::geteuid() != 0 || std::system(("chown -R nobody: " + dir.Path()).c_str()) == 0);
  auto lock = [&](bool locked) {
    fs::permissions(dir.Path() + "/dls/locked", locked ? fs::perms::none : fs::perms(0755));
  };
  lock(true);
  AsNobody asNobody;
  Start(Quick());  // the baseline already finds it
  const Control& note = Main().Get("Note");
  EXPECT_EQ(note.caption, "Cannot read locked: downloads there are not seen");
  EXPECT_EQ(Main().clientHeight, kMainHeightWithNote);
  Seconds(2);
  for (int second = 0; second < 8; ++second) {
    Grow(3 * 1024);
    Seconds(1);
    EXPECT_EQ(Main().Get("CPULoad").caption, "   3.0KB/s") << second;
  }
  EXPECT_EQ(LogCount(" Unread   , locked"), 1);  // said once, not every second

  lock(false);  // readable again: the note goes
  Seconds(1);
  EXPECT_FALSE(note.visible);
  lock(true);  // locked once more: a change, so said again
  Seconds(1);
  EXPECT_TRUE(note.visible);
  EXPECT_EQ(LogCount(" Unread   , locked"), 2);

  // The download stops: the countdown that follows reminds of the folder.
  Seconds(6);
  ASSERT_EQ(State().RunMode, 2);
  EXPECT_EQ(LogCount(" Unread   , locked"), 3);
  ASSERT_FALSE(hs.notifier.shown.empty());
  const std::string body = hs.notifier.shown.back().body;
  EXPECT_EQ(body.substr(body.rfind('\n') + 1), "Cannot read: locked");
  EXPECT_TRUE(hs.power.requests.empty() && hs.messages.shown.empty());
}

}  // namespace
}  // namespace velnook

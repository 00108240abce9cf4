// A download next to a folder an ordinary user cannot read: the program,
// run as nobody, sees it every second, never counts towards a power-off,
// and says once which folder it cannot read.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

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
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  std::vector<fs::path> all{dir.Path()};
  for (const auto& e : fs::recursive_directory_iterator(dir.Path())) all.push_back(e.path());
  for (const auto& p : all)
    ASSERT_TRUE(::geteuid() != 0 || ::lchown(p.c_str(), nobody->pw_uid, nobody->pw_gid) == 0);
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

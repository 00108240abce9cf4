// A download next to folders an ordinary user cannot read, and next to
// folders nested past the path limit: the program, run as nobody, sees it
// every second, never counts towards a power-off, and says once which
// folder it cannot read.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>

#include "app/main_job_fixture.h"
#include "as_nobody.h"
#include "deep_tree.h"
#include "monitor/unread_note.h"

namespace velnook {
namespace {

namespace fs = std::filesystem;

class UnreadableJobTest : public MainJobTest {
 protected:
  // The working directory becomes nobody's, so that the program can run as
  // nobody; only the permissions then keep it out of a folder.
  void GiveToNobody() {
    if (::geteuid() != 0) return;
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(::lchown(dir.Path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    for (const auto& e : fs::recursive_directory_iterator(dir.Path()))
      ASSERT_EQ(::lchown(e.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  }
  void SetLocked(bool locked) {
    fs::permissions(dir.Path() + "/dls/locked", locked ? fs::perms::none : fs::perms(0755));
  }
  int UnreadEntries() {
    const auto entries = Entries();
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [](const auto& e) {
      return e.rfind(" Unread   , locked    , Count:", 0) == 0;
    }));
  }
  const Control& Note() { return Main().Get("Note"); }
};

TEST_F(UnreadableJobTest, ADownloadNextToALockedAndADeepFolderIsSeenEverySecond) {
  dir.Write("dls/locked/old", std::string(5000, 'o'));
  GiveToNobody();
  SetLocked(true);
  AsNobody nobody;
  DeepTree deep(dir.Path() + "/dls", 25);
  deep.Append(100);
  Start(Quick());  // the baseline already finds it
  EXPECT_TRUE(Note().visible);
  EXPECT_EQ(UnreadEntries(), 1);
  Seconds(2);
  ASSERT_EQ(State().RunMode, 1);
  EXPECT_EQ(Note().caption, "Cannot read locked: downloads there are not seen");
  EXPECT_EQ(Note().tooltip, "dls/locked");
  EXPECT_EQ(Note().foreColour, kOrange);
  EXPECT_EQ(Main().clientHeight, kMainHeightWithNote);

  // 3 KB a second beside the locked folder and 1 KB at the bottom of the
  // deep one: every second shows 4 KB/s, the condition never counts.
  for (int second = 0; second < 8; ++second) {
    Grow(3 * 1024);
    deep.Append(1024);
    Seconds(1);
    EXPECT_EQ(Main().Get("CPULoad").caption, "   4.0KB/s") << second;
    EXPECT_EQ(Counter(), "Rate less than 2KB/s for the last 0s") << second;
  }
  EXPECT_TRUE(hs.power.requests.empty());
  EXPECT_EQ(UnreadEntries(), 1);  // said once, not every second

  // Readable again: its files arrive like a new folder's, and the note goes.
  SetLocked(false);
  Seconds(1);
  EXPECT_EQ(Main().Get("CPULoad").caption, "   4.9KB/s");
  EXPECT_FALSE(Note().visible);
  EXPECT_EQ(Main().clientHeight, kMainHeight);
  // Locked once more: a change, so said again.
  SetLocked(true);
  Seconds(1);
  EXPECT_TRUE(Note().visible);
  EXPECT_EQ(UnreadEntries(), 2);
  EXPECT_TRUE(hs.power.requests.empty());
  EXPECT_TRUE(hs.messages.shown.empty());

  // The download stops: the countdown that follows reminds of the folder.
  Seconds(6);
  ASSERT_EQ(State().RunMode, 2);
  const auto entries = Entries();
  const auto enter = std::find_if(entries.begin(), entries.end(), [](const std::string& e) {
    return e.rfind(" Enter    , Power Off", 0) == 0;
  });
  ASSERT_NE(enter, entries.end());
  ASSERT_NE(enter + 1, entries.end());
  EXPECT_EQ(enter[1].rfind(" Unread   , locked    , Count:", 0), 0u) << enter[1];
  ASSERT_FALSE(hs.notifier.shown.empty());
  const std::string body = hs.notifier.shown.back().body;
  EXPECT_EQ(body.substr(body.rfind('\n') + 1), "Cannot read: locked");
}

}  // namespace
}  // namespace velnook

// POSIX only: the measurement runs as nobody here, and Windows programs do
// not meet links.
#include <gtest/gtest.h>
#include <limits.h>

#include "as_nobody.h"
#include "deep_tree.h"
#include "monitor/dir_size_fixture.h"

namespace velnook {
namespace {

class DirSizeUnreadableTest : public DirSizeTest {
 protected:
  void Lock(const std::string& rel, int mode) {
    fs::permissions(dir.Path() + "/dl/" + rel, fs::perms(mode));
  }
  std::string NobodysRate() {
    AsNobody nobody;
    return Rate();
  }
  ~DirSizeUnreadableTest() override {
    std::error_code ec;
    for (const char* rel : {"locked", "search-only", "list-only", ""})
      fs::permissions(dir.Path() + "/dl/" + rel, fs::perms(0755), ec);
  }
};

// No permission at all, searching without listing, listing without looking
// at the entries: each is left out and named, beside a tree nested past the
// path limit and links (to a file: its target counts; to folders, or to
// nowhere: nothing, and a loop cannot trap the walk).
TEST_P(DirSizeUnreadableTest, UnreadableFoldersAreLeftOutAndTheRestMeasured) {
  for (const char* rel : {"locked/inner", "search-only", "list-only"})
    fs::create_directories(dir.Path() + "/dl/" + rel);
  Grow("locked/inner/old", 5000);
  Grow("search-only/hidden", 700);
  Grow("list-only/seen-by-name", 300);
  DeepTree deep(dir.Path() + "/dl", 25);
  ASSERT_GT(deep.PathLength(), static_cast<std::size_t>(PATH_MAX));
  deep.Append(100);
  Grow("f", 900);
  fs::create_directory_symlink(dir.Path() + "/dl", dir.Path() + "/dl/loop");
  fs::create_directory_symlink(dir.Path(), dir.Path() + "/dl/up");
  fs::create_symlink(dir.Path() + "/dl/f", dir.Path() + "/dl/linkfile");
  fs::create_symlink(dir.Path() + "/nowhere", dir.Path() + "/dl/dangling");
  Lock("locked", 0);
  Lock("search-only", 0311);
  Lock("list-only", 0444);
  const std::vector<std::string> unread{"dl/list-only", "dl/locked", "dl/search-only"};
  {
    AsNobody nobody;
    ASSERT_TRUE(InitDirSize(dl, state, S()));
  }
  EXPECT_EQ(state.DirPrevTotal, 100 + 900 + 900);
  EXPECT_EQ(state.UnreadFolders, unread);
  deep.Append(2048);  // the download next to them is seen, with its rate
  EXPECT_EQ(NobodysRate(), "2.0");
  EXPECT_EQ(NobodysRate(), "0.0");
  EXPECT_EQ(state.UnreadFolders, unread);

  // Readable again: it counts from then on, like a folder that appears.
  Lock("locked", 0755);
  Lock("list-only", 0755);
  EXPECT_EQ(NobodysRate(), "5.2");  // 5000 + 300 bytes
  EXPECT_EQ(state.UnreadFolders, std::vector<std::string>{"dl/search-only"});
  if (GetParam()) {
    EXPECT_EQ(hs.tracker.LastSource(), InotifyTreeTracker::Source::Changes);
  }

  // The download folder itself unreadable is the download folder's error.
  Lock("", 0311);
  AsNobody nobody;
  EXPECT_FALSE(GetDirRate(dl, state, S()));
  EXPECT_EQ(state.RateText, "5.2");
  EXPECT_FALSE(InitDirSize(dl, state, S()));
}

INSTANTIATE_TEST_SUITE_P(ScanAndTracker, DirSizeUnreadableTest, ::testing::Bool());

}  // namespace
}  // namespace velnook

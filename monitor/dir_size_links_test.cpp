// Links on a POSIX file system, which Windows programs do not meet.
#include <gtest/gtest.h>

#include "monitor/dir_size_fixture.h"

namespace velnook {
namespace {

class DirSizeLinkTest : public DirSizeTest {};

TEST_P(DirSizeLinkTest, LinksToFoldersAreNotFollowedAndLoopsCannotTrapTheScan) {
  Grow("f", 100);
  fs::create_directories(dir.Path() + "/outside");
  std::ofstream(dir.Path() + "/outside/big", std::ios::binary) << std::string(5000, 'y');
  fs::create_directory_symlink(dir.Path() + "/outside", dir.Path() + "/dl/linkdir");
  fs::create_directory_symlink(dir.Path() + "/dl", dir.Path() + "/dl/loop");
  fs::create_symlink(dir.Path() + "/outside/big", dir.Path() + "/dl/linkfile");
  fs::create_symlink(dir.Path() + "/nowhere", dir.Path() + "/dl/dangling");
  ASSERT_TRUE(InitDirSize(dl, state, S()));
  EXPECT_EQ(state.DirPrevTotal, 100 + 5000);  // the link to a file counts its target
}

INSTANTIATE_TEST_SUITE_P(ScanAndTracker, DirSizeLinkTest, ::testing::Bool());

}  // namespace
}  // namespace velnook

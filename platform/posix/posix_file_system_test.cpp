#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "as_nobody.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

namespace fs = std::filesystem;

TEST(PosixFileSystem, FailedWritesAndSpecialFilesChangeNothing) {
  TempWorkDir dir;
  PosixFileSystem files;
  // A file size limit lets the text in part-way, like a disk filling up.
  dir.Write("a.log", "whole\r\n");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool appended = files.AppendToFile("a.log", "a longer line\r\n");
  const bool replaced = files.ReplaceFile("a.log", "a longer file\r\n");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(appended || replaced);
  EXPECT_EQ(dir.Read("a.log"), "whole\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), {}), 1);

  // Special files are refused without waiting: a FIFO nobody writes to would
  // hold an ordinary open for ever (a hang ends the binary, not the run).
  ::alarm(60);
  ASSERT_EQ(::mkfifo("fifo", 0644), 0);
  fs::create_symlink("/dev/null", "device");
  for (const char* special : {"fifo", "device"}) {
    SCOPED_TRACE(special);
    EXPECT_FALSE(files.ReadFile(special).has_value());
    EXPECT_FALSE(files.ReadFileInBlocks(special, [](std::string_view) { return true; }));
    EXPECT_FALSE(files.AppendToFile(special, "a line\r\n"));
    EXPECT_FALSE(files.CopyFile(special, "copy", {}));
    EXPECT_FALSE(fs::exists("copy"));
    EXPECT_FALSE(files.ReplaceFile(special, "settings"));
  }
  EXPECT_TRUE(fs::is_fifo("fifo"));  // not swapped for a file
  ::alarm(0);
}

// Replacing keeps the file's owner, group, mode and links (each relative to
// its own folder, one to a file not there yet); an ordinary user cannot
// replace a file they may not write, nor one in a folder they may not write.
TEST(PosixFileSystem, ReplaceKeepsOwnerModeAndLinksAndRespectsPermissions) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  TempWorkDir dir;
  PosixFileSystem files;
  dir.Write("Data/Velnook.ini", "old");
  ASSERT_EQ(::chown("Data/Velnook.ini", 65534, 65534), 0);
  ASSERT_EQ(::chmod("Data/Velnook.ini", 0640), 0);
  ASSERT_TRUE(files.ReplaceFile("Data\\Velnook.ini", "new"));
  struct stat st {};
  ASSERT_EQ(::lstat("Data/Velnook.ini", &st), 0);
  EXPECT_TRUE(st.st_uid == 65534 && st.st_gid == 65534 && (st.st_mode & 07777) == 0640);
  EXPECT_EQ(dir.Read("Data/Velnook.ini"), "new");

  dir.Write("real/settings.ini", "old");
  fs::create_symlink("../real/settings.ini", "Data/middle.ini");
  fs::create_symlink("middle.ini", "Data/linked.ini");
  fs::create_symlink("../real/later.ini", "Data/dangling.ini");
  ASSERT_TRUE(files.ReplaceFile("Data\\linked.ini", "new"));
  ASSERT_TRUE(files.ReplaceFile("Data\\dangling.ini", "made"));
  for (const char* link : {"Data/linked.ini", "Data/middle.ini", "Data/dangling.ini"})
    EXPECT_TRUE(fs::is_symlink(link)) << link;
  EXPECT_EQ(dir.Read("real/settings.ini"), "new");
  EXPECT_EQ(dir.Read("real/later.ini"), "made");
  EXPECT_EQ(std::distance(fs::directory_iterator("real"), {}), 2);

  dir.Write("readonly/a.ini", "old");
  dir.Write("locked/a.ini", "old");
  ::chmod(dir.Path().c_str(), 0755);
  for (const char* f : {"Data", "readonly", "readonly/a.ini", "locked", "locked/a.ini"})
    ASSERT_EQ(::chown(f, 65534, 65534), 0);
  ::chmod("readonly/a.ini", 0444);  // its owner made it read-only
  ::chmod("locked", 0555);          // the folder may not be written
  AsNobody nobody;
  EXPECT_TRUE(files.ReplaceFile("Data\\Velnook.ini", "mine")) << "nobody's own file";
  EXPECT_FALSE(files.ReplaceFile("readonly\\a.ini", "new"));
  EXPECT_FALSE(files.ReplaceFile("locked\\a.ini", "new"));
  EXPECT_EQ(dir.Read("readonly/a.ini") + dir.Read("locked/a.ini"), "oldold");
  EXPECT_EQ(std::distance(fs::directory_iterator("readonly"), {}), 1);
}

}  // namespace
}  // namespace velnook

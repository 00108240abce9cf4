#include "platform/posix/posix_file_system.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

TEST(PosixFileSystem, AFailedWriteLeavesTheFileAsItWas) {
  TempWorkDir dir;
  PosixFileSystem files;
  EXPECT_FALSE(files.AppendToFile("/dev/full", "a line\r\n"));
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
  EXPECT_FALSE(appended);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(dir.Read("a.log"), "whole\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

TEST(PosixFileSystem, SpecialFilesAreRefusedWithoutWaitingAndLinksToFilesWork) {
  // A FIFO nobody writes to would hold an ordinary open for ever: a hang
  // ends the test binary instead of the run.
  ::alarm(60);
  TempWorkDir dir;
  PosixFileSystem files;
  ASSERT_EQ(::mkfifo("fifo", 0644), 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strcpy(addr.sun_path, "socket");
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  std::filesystem::create_symlink("/dev/null", dir.Path() + "/device");
  for (const char* special : {"fifo", "socket", "device"}) {
    SCOPED_TRACE(special);
    EXPECT_FALSE(files.ReadFile(special).has_value());
    EXPECT_FALSE(files.ReadFileInBlocks(special, [](std::string_view) { return true; }));
    EXPECT_FALSE(files.AppendToFile(special, "a line\r\n"));
    EXPECT_FALSE(files.CopyFile(special, "copy", {}));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/copy"));
    EXPECT_FALSE(files.ReplaceFile(special, "settings"));
  }
  EXPECT_TRUE(std::filesystem::is_fifo(dir.Path() + "/fifo"));  // not swapped for a file
  ::close(sock);

  dir.Write("real.ini", "settings");
  std::filesystem::create_symlink("real.ini", dir.Path() + "/link.ini");
  EXPECT_EQ(files.ReadFile("link.ini"), "settings");
  EXPECT_TRUE(files.AppendToFile("link.ini", "+"));
  EXPECT_EQ(dir.Read("real.ini"), "settings+");
  ::alarm(0);
}

TEST(PosixFileSystem, AFolderNamesItsFileSystemAsTheMountTableDoes) {
  TempWorkDir dir;
  PosixFileSystem files;
  const std::string fileSystem = files.FileSystemOf(dir.Path());
  ASSERT_FALSE(fileSystem.empty());
  EXPECT_TRUE(files.IsMounted(fileSystem));
  EXPECT_EQ(files.FileSystemOf(dir.Path() + "\\"), fileSystem);
  EXPECT_FALSE(files.IsMounted("4095:1048575"));
}

TEST(PosixFileSystem, ListFolderGivesFilesAndRealSubFolders) {
  TempWorkDir dir;
  PosixFileSystem files;
  dir.Write("d/a", "12345");
  dir.Write("d/s/b", "1");
  std::filesystem::create_directory_symlink(dir.Path() + "/d/s", dir.Path() + "/d/ls");
  FolderListing l;
  ASSERT_EQ(files.ListFolder("d", l), FileError::None);
  EXPECT_EQ(l.fileLengths, std::vector<std::uint64_t>{5});
  EXPECT_EQ(l.subFolders, std::vector<std::string>{"d/s"});  // not the link to it
}

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

// Runs f as the user "nobody" in a child process (root may write any file,
// whatever its mode); returns what f returned.
bool AsNobody(const std::function<bool()>& f) {
  if (::geteuid() != 0) return f();
  const passwd* nobody = ::getpwnam("nobody");
  if (!nobody) ADD_FAILURE() << "no user nobody";
  if (!nobody) return false;
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(2);
    ::_exit(f() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(PosixFileSystem, ReplaceLeavesAFileThatMayNotBeWrittenAlone) {
  TempWorkDir dir;
  PosixFileSystem files;
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  dir.Write("open/a.ini", "old");
  dir.Write("readonly/a.ini", "old");
  dir.Write("locked/a.ini", "old");
  ::chmod(dir.Path().c_str(), 0755);
  for (const char* f :
       {"open", "open/a.ini", "readonly", "readonly/a.ini", "locked", "locked/a.ini"}) {
    if (::geteuid() == 0) {
      ASSERT_EQ(::lchown((dir.Path() + "/" + f).c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
  }
  ::chmod("readonly/a.ini", 0444);  // its owner made it read-only
  ::chmod("locked", 0555);          // the folder may not be written

  EXPECT_TRUE(AsNobody([&] { return files.ReplaceFile("open\\a.ini", "new"); }));
  EXPECT_EQ(dir.Read("open/a.ini"), "new");
  EXPECT_FALSE(AsNobody([&] { return files.ReplaceFile("readonly\\a.ini", "new"); }));
  EXPECT_EQ(dir.Read("readonly/a.ini"), "old");
  EXPECT_FALSE(AsNobody([&] { return files.ReplaceFile("locked\\a.ini", "new"); }));
  EXPECT_EQ(dir.Read("locked/a.ini"), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("readonly"), {}), 1);
}

TEST(PosixFileSystem, ReplaceKeepsOwnerGroupModeAndLinks) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  TempWorkDir dir;
  PosixFileSystem files;
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  dir.Write("Data/Velnook.ini", "old");
  ASSERT_EQ(::chown("Data/Velnook.ini", nobody->pw_uid, nobody->pw_gid), 0);
  ASSERT_EQ(::chmod("Data/Velnook.ini", 0640), 0);
  ASSERT_TRUE(files.ReplaceFile("Data\\Velnook.ini", "new"));
  const struct stat st = StatOf("Data/Velnook.ini");
  EXPECT_EQ(st.st_uid, nobody->pw_uid);
  EXPECT_EQ(st.st_gid, nobody->pw_gid);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(dir.Read("Data/Velnook.ini"), "new");

  // A link to a link to the real file, each relative to its own folder; and
  // a link to a file that is not there yet.
  dir.Write("real/settings.ini", "old");
  std::filesystem::create_symlink("../real/settings.ini", "Data/middle.ini");
  std::filesystem::create_symlink("middle.ini", "Data/linked.ini");
  std::filesystem::create_symlink("../real/later.ini", "Data/dangling.ini");
  ASSERT_TRUE(files.ReplaceFile("Data\\linked.ini", "new"));
  ASSERT_TRUE(files.ReplaceFile("Data\\dangling.ini", "made"));
  EXPECT_TRUE(S_ISLNK(StatOf("Data/linked.ini").st_mode));
  EXPECT_TRUE(S_ISLNK(StatOf("Data/middle.ini").st_mode));
  EXPECT_TRUE(S_ISLNK(StatOf("Data/dangling.ini").st_mode));
  EXPECT_EQ(dir.Read("real/settings.ini"), "new");
  EXPECT_EQ(dir.Read("real/later.ini"), "made");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("real"), {}), 2);
}

}  // namespace
}  // namespace velnook

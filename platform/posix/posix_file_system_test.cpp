#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "platform/headless/file_system_checks.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

TEST(PosixFileSystem, WindowsSeparatorsWork) {
  TempWorkDir dir;
  PosixFileSystem files;
  EXPECT_EQ(ToNativePath("Data\\Velnook.ini"), "Data/Velnook.ini");
  EXPECT_TRUE(files.CreateFolder("Data"));
  EXPECT_TRUE(files.FolderExists("Data\\"));
  EXPECT_TRUE(files.ReplaceFile("Data\\a.txt", "one"));
  EXPECT_TRUE(files.FileExists("Data\\a.txt"));
  EXPECT_FALSE(files.FolderExists("Data\\a.txt"));
  EXPECT_TRUE(files.ReplaceFile("Data\\a.txt", "two"));
  EXPECT_EQ(files.ReadFile("Data\\a.txt"), "two");
  EXPECT_TRUE(files.AppendToFile("Data\\a.txt", "\r\nthree"));
  EXPECT_EQ(files.FileLength("Data\\a.txt"), 10u);
  EXPECT_TRUE(files.CopyFile("Data\\a.txt", "Data\\b.txt", {}));
  EXPECT_FALSE(files.CopyFile("Data\\a.txt", "Data\\b.txt", {}));  // never overwrites
  EXPECT_TRUE(files.DeleteFile("Data\\b.txt"));
  EXPECT_FALSE(files.ReadFile("Data\\b.txt").has_value());
  EXPECT_FALSE(files.AppendToFile("Nope\\x.log", "x"));
}

TEST(PosixFileSystem, FailedAppendLeavesTheFileAsItWas) {
  TempWorkDir dir;
  PosixFileSystem files;
  EXPECT_FALSE(files.AppendToFile("/dev/full", "a line\r\n"));
  EXPECT_FALSE(files.AppendToFile("gone.log", "x"));
  EXPECT_FALSE(files.FileExists("gone.log"));  // appending never creates

  // A file size limit lets the text in part-way, like a disk filling up.
  dir.Write("a.log", "whole\r\n");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool appended = files.AppendToFile("a.log", "a longer line\r\n");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(appended);
  EXPECT_EQ(dir.Read("a.log"), "whole\r\n");
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

TEST(PosixFileSystem, LongFilesAreReadAndCopiedInBlocksByteForByte) {
  TempWorkDir dir;
  PosixFileSystem files;
  ExpectLongFilesGoInBlocks(files, dir);
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
  EXPECT_EQ(l.subFolders, std::vector<std::string>{"d/s"});
  EXPECT_EQ(files.ListFolder("missing", l), FileError::NotFound);
  EXPECT_EQ(files.ListFolder("d/a", l), FileError::NotFound);
}

}  // namespace
}  // namespace velnook

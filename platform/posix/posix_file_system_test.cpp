#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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
  EXPECT_TRUE(files.CopyFile("Data\\a.txt", "Data\\b.txt"));
  EXPECT_FALSE(files.CopyFile("Data\\a.txt", "Data\\b.txt"));  // never overwrites
  EXPECT_TRUE(files.DeleteFile("Data\\b.txt"));
  EXPECT_FALSE(files.ReadFile("Data\\b.txt").has_value());
  EXPECT_FALSE(files.AppendToFile("Nope\\x.log", "x"));
}

TEST(PosixFileSystem, AppendToAFullDiskFails) {
  PosixFileSystem files;
  EXPECT_FALSE(files.AppendToFile("/dev/full", "a line\r\n"));
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

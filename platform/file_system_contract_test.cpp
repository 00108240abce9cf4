// What every file system backend must do, on real files: the program's
// paths with "\", whole replacement, appends that never create, copies that
// never overwrite (blocks and listings are their callers' tests).
#include <gtest/gtest.h>

#include <filesystem>

#include "headless_native.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

TEST(FileSystemContract, ProgramPathsWork) {
  TempWorkDir dir;
  NativeFileSystem files;
  EXPECT_FALSE(files.FolderExists("Data"));
  EXPECT_TRUE(files.CreateFolder("Data"));
  EXPECT_TRUE(files.FolderExists("Data\\"));
  EXPECT_TRUE(files.ReplaceFile("Data\\a.txt", "one"));
  EXPECT_TRUE(files.FileExists("Data\\a.txt") && !files.FolderExists("Data\\a.txt"));
  EXPECT_FALSE(files.FileExists("Data"));
  EXPECT_TRUE(files.AppendToFile("Data\\a.txt", "\r\nthree"));
  EXPECT_EQ(files.FileLength("Data\\a.txt"), 10u);
  EXPECT_EQ(dir.Read("Data/a.txt"), "one\r\nthree");  // bytes as given, no text mode
  EXPECT_FALSE(files.FileLength("Data").has_value());
  EXPECT_TRUE(files.CopyFile("Data\\a.txt", "Data\\b.txt", {}));
  EXPECT_FALSE(files.CopyFile("Data\\a.txt", "Data\\b.txt", {}));  // never overwrites
  EXPECT_FALSE(files.CopyFile("Data\\none.txt", "Data\\c.txt", {}));
  EXPECT_TRUE(files.DeleteFile("Data\\b.txt"));
  EXPECT_FALSE(files.DeleteFile("Data\\b.txt") || files.ReadFile("Data\\b.txt").has_value());
  EXPECT_FALSE(files.AppendToFile("gone.log", "x") || files.FileExists("gone.log"));
  EXPECT_FALSE(files.ReplaceFile("Nope\\x.ini", "x"));

  // Every byte, replacing a file already there, and no temporary file left.
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += std::string(200000, '\x1a');  // Ctrl-Z ends nothing
  ASSERT_TRUE(files.ReplaceFile("Data\\a.txt", bytes));
  EXPECT_EQ(files.ReadFile("Data\\a.txt"), bytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() + "/Data"), {}), 1);
}

}  // namespace
}  // namespace velnook

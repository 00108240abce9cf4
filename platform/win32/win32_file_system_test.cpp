#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/file_system_checks.h"
#include "platform/headless/temp_work_dir.h"
#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

TEST(Win32FileSystem, ProgramPathsAreNative) {
  TempWorkDir dir;
  Win32FileSystem files;
  EXPECT_FALSE(files.FolderExists("Data"));
  EXPECT_TRUE(files.CreateFolder("Data"));
  EXPECT_FALSE(files.CreateFolder("Data"));
  EXPECT_TRUE(files.FolderExists("Data\\"));
  EXPECT_TRUE(files.ReplaceFile("Data\\a.txt", "one"));
  EXPECT_TRUE(files.FileExists("Data\\a.txt"));
  EXPECT_FALSE(files.FolderExists("Data\\a.txt"));
  EXPECT_FALSE(files.FileExists("Data"));
  EXPECT_TRUE(files.ReplaceFile("Data\\a.txt", "two"));
  EXPECT_EQ(files.ReadFile("Data\\a.txt"), "two");
  EXPECT_TRUE(files.AppendToFile("Data\\a.txt", "\r\nthree"));
  EXPECT_EQ(files.FileLength("Data\\a.txt"), 10u);
  EXPECT_EQ(dir.Read("Data/a.txt"), "two\r\nthree");  // bytes as given, no text mode
  EXPECT_FALSE(files.FileLength("Data").has_value());
  EXPECT_TRUE(files.CopyFile("Data\\a.txt", "Data\\b.txt", {}));
  EXPECT_FALSE(files.CopyFile("Data\\a.txt", "Data\\b.txt", {}));  // never overwrites
  EXPECT_FALSE(files.CopyFile("Data\\none.txt", "Data\\c.txt", {}));
  EXPECT_TRUE(files.DeleteFile("Data\\b.txt"));
  EXPECT_FALSE(files.DeleteFile("Data\\b.txt"));
  EXPECT_FALSE(files.ReadFile("Data\\b.txt").has_value());
  EXPECT_FALSE(files.AppendToFile("Nope\\x.log", "x"));
  EXPECT_FALSE(files.AppendToFile("gone.log", "x"));
  EXPECT_FALSE(files.FileExists("gone.log"));  // appending never creates
  EXPECT_FALSE(files.ReplaceFile("Nope\\x.ini", "x"));
}

TEST(Win32FileSystem, ReplaceLeavesNoTemporaryFileAndKeepsBinaryBytes) {
  TempWorkDir dir;
  Win32FileSystem files;
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += std::string(200000, '\x1a');  // Ctrl-Z ends nothing
  ASSERT_TRUE(files.CreateFolder("Data"));
  ASSERT_TRUE(files.ReplaceFile("Data\\Velnook.ini", "old"));
  ASSERT_TRUE(files.ReplaceFile("Data\\Velnook.ini", bytes));
  EXPECT_EQ(files.ReadFile("Data\\Velnook.ini"), bytes);
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path() + "/Data")) (void)e, ++entries;
  EXPECT_EQ(entries, 1);
}

TEST(Win32FileSystem, DevicesAreRefusedAndLongFilesAreCopiedInBlocks) {
  TempWorkDir dir;
  Win32FileSystem files;
  EXPECT_FALSE(files.ReadFile("NUL").has_value());
  EXPECT_FALSE(files.ReadFileInBlocks("NUL", [](std::string_view) { return true; }));
  EXPECT_FALSE(files.AppendToFile("NUL", "a line\r\n"));
  EXPECT_FALSE(files.CopyFile("NUL", "copy.log", {}));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/copy.log"));

  ExpectLongFilesGoInBlocks(files, dir);
}

TEST(Win32FileSystem, ListFolderGivesFilesWithLengthsAndSubFolders) {
  TempWorkDir dir;
  Win32FileSystem files;
  dir.Write("d/a", "12345");
  dir.Write("d/.hidden", "1");
  dir.Write("d/s/b", "1");
  dir.Write("d/t/c", "");
  FolderListing l;
  ASSERT_EQ(files.ListFolder("d", l), FileError::None);
  std::sort(l.fileLengths.begin(), l.fileLengths.end());
  std::sort(l.subFolders.begin(), l.subFolders.end());
  EXPECT_EQ(l.fileLengths, (std::vector<std::uint64_t>{1, 5}));
  EXPECT_EQ(l.subFolders, (std::vector<std::string>{"d\\s", "d\\t"}));
  ASSERT_EQ(files.ListFolder("d\\s\\", l), FileError::None);
  EXPECT_EQ(l.fileLengths, std::vector<std::uint64_t>{1});
  EXPECT_TRUE(l.subFolders.empty());
  ASSERT_EQ(files.ListFolder("d\\t", l), FileError::None);
  EXPECT_EQ(l.fileLengths, std::vector<std::uint64_t>{0});
  EXPECT_EQ(files.ListFolder("missing", l), FileError::NotFound);
  EXPECT_EQ(files.ListFolder("missing\\deeper", l), FileError::NotFound);
  EXPECT_EQ(files.ListFolder("d\\a", l), FileError::NotFound);
  EXPECT_TRUE(l.fileLengths.empty());
}

TEST(Win32FileSystem, LengthsBeyondFourGigabytes) {
  TempWorkDir dir;
  Win32FileSystem files;
  dir.Write("d/big", "x");
  std::filesystem::resize_file(dir.Path() + "/d/big", (5ULL << 30) + 3);
  EXPECT_EQ(files.FileLength("d\\big"), (5ULL << 30) + 3);
  FolderListing l;
  ASSERT_EQ(files.ListFolder("d", l), FileError::None);
  EXPECT_EQ(l.fileLengths, std::vector<std::uint64_t>{(5ULL << 30) + 3});
}

// Nested far past MAX_PATH, as a deep unpack leaves folders: made through
// long paths, since nothing else reaches them.
TEST(Win32FileSystem, AWalkReachesFoldersPastThePathLimit) {
  TempWorkDir dir;
  Win32FileSystem files;
  dir.Write("d/top", "12");
  std::wstring path = L"\\\\?\\" + std::filesystem::absolute(dir.Path() + "\\d").wstring();
  for (int level = 0; level < 12; ++level) {
    path += L"\\" + std::wstring(100, L'n');
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
  }
  ASSERT_GT(path.size(), 1000u);
  HANDLE h = ::CreateFileW((path + L"\\deep").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(h, "12345", 5, &written, nullptr));
  ::CloseHandle(h);

  std::uint64_t total = 0;
  int folders = 0;
  FolderListing l;
  for (auto walk = files.WalkFolders("d\\"); walk->Next(l); ++folders) {
    EXPECT_EQ(l.error, FileError::None) << l.path.size();
    for (std::uint64_t length : l.fileLengths) total += length;
  }
  EXPECT_EQ(folders, 13);
  EXPECT_EQ(total, 7u);
}

}  // namespace
}  // namespace velnook

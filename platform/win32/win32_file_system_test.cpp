// What the Win32 file system does beyond the shared contract: devices are
// no files, lengths pass 4 GiB, and walks reach past the path limit.
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/temp_work_dir.h"
#include "platform/win32/windows_api.h"

namespace velnook {
namespace {

TEST(Win32FileSystem, DevicesAreRefusedAndLengthsPassFourGigabytes) {
  TempWorkDir dir;
  Win32FileSystem files;
  EXPECT_FALSE(files.ReadFile("NUL").has_value());
  EXPECT_FALSE(files.ReadFileInBlocks("NUL", [](std::string_view) { return true; }));
  EXPECT_FALSE(files.AppendToFile("NUL", "a line\r\n"));
  EXPECT_FALSE(files.CopyFile("NUL", "copy.log", {}));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/copy.log"));
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
  dir.Write("d/top", "12");
  std::wstring path = L"\\\\?\\" + std::filesystem::absolute(dir.Path() + "\\d").wstring();
  for (int level = 0; level < 12; ++level)
    ASSERT_TRUE(::CreateDirectoryW((path += L"\\" + std::wstring(100, L'n')).c_str(), nullptr));
  HANDLE h = ::CreateFileW((path + L"\\deep").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(h, "12345", 5, &written, nullptr));
  ::CloseHandle(h);
  Win32FileSystem files;
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

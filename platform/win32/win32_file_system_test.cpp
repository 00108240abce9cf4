// What the Win32 file system does beyond the shared contract: devices are
// no files, and lengths pass 4 GiB.
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/headless/temp_work_dir.h"

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

}  // namespace
}  // namespace velnook

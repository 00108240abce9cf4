#pragma once
// Checks that every file system backend must pass, run by each backend's
// own tests on real files.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {

// A long file of NUL bytes without a line end, as an unclean shutdown leaves
// a log, is copied byte for byte in blocks with window events between them,
// never over an existing file, and is read in blocks that stop when asked.
inline void ExpectLongFilesGoInBlocks(FileSystem& files, const TempWorkDir& dir) {
  std::string content = "head\r\n" + std::string(5 << 20, '\0') + "tail";
  content[3 << 20] = 'x';
  dir.Write("big.log", content);
  int blocks = 0;
  ASSERT_TRUE(files.CopyFile("big.log", "copy.log", [&] { ++blocks; }));
  EXPECT_GE(blocks, 5);
  EXPECT_TRUE(dir.Read("copy.log") == content);
  EXPECT_FALSE(files.CopyFile("big.log", "copy.log", {}));

  size_t largest = 0, total = 0;
  ASSERT_TRUE(files.ReadFileInBlocks("big.log", [&](std::string_view block) {
    largest = std::max(largest, block.size());
    total += block.size();
    return total < (2u << 20);  // enough: the rest is never read
  }));
  EXPECT_LT(largest, content.size() / 4);
  EXPECT_LT(total, content.size());
  EXPECT_FALSE(files.ReadFileInBlocks("missing.log", [](std::string_view) { return true; }));
}

}  // namespace velnook

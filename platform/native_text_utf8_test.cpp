#include <gtest/gtest.h>

#include "platform/native_text.h"

namespace velnook {
namespace {

TEST(NativeTextUtf8, SettingsFilesReadAsUtf8OrElseAsWindows1252) {
  EXPECT_EQ(TextFromSettingsFile("~/T\xC3\xA9l\r\n"), "~/T\xC3\xA9l\r\n");
  // One stray byte anywhere makes the whole file Windows-1252.
  EXPECT_EQ(TextFromSettingsFile("\xA9\r\n\xC3\xA9"), "\xC2\xA9\r\n\xC3\x83\xC2\xA9");
  EXPECT_TRUE(EndsWithFolderSeparator("/home/me/") && EndsWithFolderSeparator("Log\\"));
  EXPECT_FALSE(EndsWithFolderSeparator("/home/me") || EndsWithFolderSeparator(""));
}

}  // namespace
}  // namespace velnook

#include <gtest/gtest.h>

#include "platform/native_text.h"

namespace velnook {
namespace {

TEST(NativeTextUtf8, SettingsFilesReadAsUtf8OrElseAsWindows1252) {
  const std::string utf8 =
      "DPath=~/T\xC3\xA9l\xC3\xA9"
      "chargements/\r\n";
  EXPECT_EQ(TextFromSettingsFile(utf8), utf8);
  // An older version's file: "é" is the single byte 0xE9.
  EXPECT_EQ(TextFromSettingsFile("DPath=~/T\xE9l\xE9"
                                 "chargements/\r\n"),
            utf8);
  // One stray byte anywhere makes the whole file Windows-1252.
  EXPECT_EQ(TextFromSettingsFile("# \xA9 2026\r\nDPath=\xC3\xA9\\"),
            "# \xC2\xA9 2026\r\nDPath=\xC3\x83\xC2\xA9\\");
}

TEST(NativeTextUtf8, PathsMayEndInEitherSeparator) {
  EXPECT_TRUE(EndsWithFolderSeparator("/home/me/Downloads/"));
  EXPECT_TRUE(EndsWithFolderSeparator("Log\\"));
  EXPECT_FALSE(EndsWithFolderSeparator("/home/me/Downloads"));
  EXPECT_FALSE(EndsWithFolderSeparator(""));
  EXPECT_EQ(CharacterCount("~/\xD0\x97\xD0\xB0/"), 5u);
}

}  // namespace
}  // namespace velnook

#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(TextEncoding, Windows1252BecomesUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");      // undefined: kept as C1 control
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(all)));
  EXPECT_EQ(Utf8CharacterCount(Cp1252ToUtf8(all)), all.size());
}

TEST(TextEncoding, OnlyWellFormedUtf8IsValid) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("Downloads\\"));
  EXPECT_TRUE(
      IsValidUtf8("T\xC3\xA9l\xC3\xA9"
                  "chargements"));                       // Téléchargements
  EXPECT_TRUE(IsValidUtf8("\xD0\x97\xD0\xB0\xD0\xB3"));  // Заг
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x93\x81"));          // a 4-byte character
  EXPECT_FALSE(
      IsValidUtf8("T\xE9l\xE9"
                  "chargements"));                // Windows-1252
  EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut off
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xA9"));              // stray continuation
}

TEST(TextEncoding, CharactersAreCountedNotBytes) {
  EXPECT_EQ(
      Utf8CharacterCount("\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8\\"),
      9u);  // Загрузки\ in 17 bytes
  EXPECT_EQ(Utf8CharacterCount("\xF0\x9F\x93\x81x"), 2u);
  EXPECT_EQ(Utf8CharacterCount("a\xE9z"), 3u);  // a malformed byte is one character
}

}  // namespace
}  // namespace velnook

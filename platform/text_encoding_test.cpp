#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(TextEncoding, Windows1252BecomesUtf8AndOnlyWellFormedUtf8IsValid) {
  // é, the euro sign, and an undefined byte kept as a C1 control.
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9\x80\x81"), "caf\xC3\xA9\xE2\x82\xAC\xC2\x81");
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_TRUE(IsValidUtf8(Cp1252ToUtf8(all) + "\xF0\x9F\x93\x81"));
  EXPECT_EQ(Utf8CharacterCount(Cp1252ToUtf8(all) + "\xF0\x9F\x93\x81"), all.size() + 1);
  EXPECT_EQ(Utf8CharacterCount("a\xE9z"), 3u);  // a malformed byte is one character
  // Cut off, overlong "/" twice, a surrogate, above U+10FFFF, stray continuation.
  for (const char* bad :
       {"\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xA9"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

}  // namespace
}  // namespace velnook

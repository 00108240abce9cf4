#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(TextEncoding, Windows1252RoundTripsThroughUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");  // no Windows-1252 form
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");          // cut-off sequence
}

}  // namespace
}  // namespace velnook

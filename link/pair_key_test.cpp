#include "link/pair_key.h"

#include <gtest/gtest.h>

#include <cctype>

namespace velnook {
namespace {

TEST(PairKey, TheTypedFormGivesTheSameKeyBackHoweverItIsTyped) {
  std::string key;
  for (int i = 0; i < 20; ++i) key += static_cast<char>(i * 37 + 255);
  const std::string text = PairKeyText(key);
  ASSERT_EQ(text.size(), 39u);
  EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567-"), std::string::npos);
  EXPECT_EQ(text[4], '-');
  std::string sloppy;
  for (const char c : text) sloppy += c == '-' ? ' ' : static_cast<char>(std::tolower(c));
  EXPECT_EQ(ParsePairKey(text), key);
  EXPECT_EQ(ParsePairKey(sloppy + "\n"), key);
  for (const std::string& bad : {text.substr(1), text + "A", "0" + text.substr(1), std::string()})
    EXPECT_FALSE(ParsePairKey(bad)) << bad;
}

}  // namespace
}  // namespace velnook

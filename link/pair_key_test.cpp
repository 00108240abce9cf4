#include "link/pair_key.h"

#include <gtest/gtest.h>

#include <cctype>

#include "platform/headless/headless_services.h"
#include "platform/headless/temp_work_dir.h"

namespace velnook {
namespace {

TEST(PairKey, TheTypedFormGivesTheSameKeyBackHoweverItIsTyped) {
  std::string key;
  for (int i = 0; i < 20; ++i) key += static_cast<char>(i * 37 + 255);
  const std::string text = PairKeyText(key);
  ASSERT_EQ(text.size(), 39u);
  EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ234567-"), std::string::npos);
  std::string sloppy;
  for (const char c : text) sloppy += c == '-' ? ' ' : static_cast<char>(std::tolower(c));
  EXPECT_EQ(ParsePairKey(text), key);
  EXPECT_EQ(ParsePairKey(sloppy + "\n"), key);
  for (const std::string& bad : {text.substr(1), text + "A", "0" + text.substr(1), std::string()})
    EXPECT_FALSE(ParsePairKey(bad)) << bad;
}

TEST(PairKey, SetStoresTheKeyOnlyInTheDataFolderAndEveryRefusalFails) {
  TempWorkDir dir;
  HeadlessServices hs;
  EXPECT_EQ(SetPairKey("", hs.files, hs.auth).exitStatus, 1);  // no data folder
  dir.Write("Data/.keep", "");
  EXPECT_EQ(SetPairKey("not a key", hs.files, hs.auth).exitStatus, 1);
  EXPECT_EQ(SetPairKey("", hs.files, hs.auth).exitStatus, 0);
  EXPECT_EQ(ReadPairKey(hs.files).key.size(), kPairKeyBytes);
}

}  // namespace
}  // namespace velnook

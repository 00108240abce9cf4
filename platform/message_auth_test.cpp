// The system's library computes the same codes on every system, so that a
// Windows master and a Linux slave agree.
#include <gtest/gtest.h>

#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

TEST(MessageAuth, CodesAreHmacSha256AndRandomKeysDiffer) {
  NativeMessageAuth auth;
  const std::string code = auth.Code("Jefe", "what do ya want for nothing?");
  std::string hex;
  for (const char c : code) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(c));
    hex += two;
  }
  EXPECT_EQ(hex, "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_TRUE(auth.CodeMatches("Jefe", "what do ya want for nothing?", code));
  EXPECT_FALSE(auth.CodeMatches("Jefe", "what do ya want for nothing!", code));
  EXPECT_FALSE(auth.CodeMatches("Jefe", "what do ya want for nothing?", code.substr(1)));
  const std::string a = auth.RandomBytes(20), b = auth.RandomBytes(20);
  EXPECT_EQ(a.size(), 20u);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace velnook

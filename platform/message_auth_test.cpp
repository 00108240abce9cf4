// The system's library computes the same codes on every system, so that a
// Windows master and a Linux slave agree.
#include <gtest/gtest.h>

#include "platform/headless/headless_services.h"

namespace velnook {
namespace {

TEST(MessageAuth, CodesAreHmacSha256AndRandomKeysDiffer) {
  NativeMessageAuth auth;
  const std::string text = "what do ya want for nothing?", code = auth.Code("Jefe", text);
  std::string hex;
  for (const char c : code) hex += {"0123456789abcdef"[(c >> 4) & 15], "0123456789abcdef"[c & 15]};
  EXPECT_EQ(hex, "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_TRUE(auth.CodeMatches("Jefe", text, code));
  EXPECT_FALSE(auth.CodeMatches("Jefe", text + "!", code) ||
               auth.CodeMatches("Jefe", text, code.substr(1)));
  EXPECT_NE(auth.RandomBytes(20), auth.RandomBytes(20));
}

}  // namespace
}  // namespace velnook

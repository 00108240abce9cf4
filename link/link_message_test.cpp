#include "link/link_message.h"

#include <gtest/gtest.h>

#include <string>

namespace velnook {
namespace {

using namespace std::string_literals;

TEST(LinkMessage, TheCheckAcceptsExactlyWellFormedTexts) {
  for (const char* ok :
       {"<VNA100>", "<VNC000>", "<VNT000>", "<VNA1xy>", "<VNA103abc>", "<VNZZ 2ab>"})
    EXPECT_TRUE(IsValidLinkMessage(ok)) << ok;
  for (const char* bad : {"", "<VNA100", "<VNA101>", "<vnA100>", "<VN100>", " <VNA100>",
                          "<VNA100> ", "<VNA103ab>", "<VNA1-1>", "<VNA1&H>x"})
    EXPECT_FALSE(IsValidLinkMessage(bad)) << bad;
  EXPECT_TRUE(IsValidLinkMessage("<VNA102\0\0>"s));  // any payload bytes
  EXPECT_FALSE(IsValidLinkMessage("<VN\0\0000>"s));
  EXPECT_FALSE(IsValidLinkMessage(std::string(70000, '>')));
}

}  // namespace
}  // namespace velnook

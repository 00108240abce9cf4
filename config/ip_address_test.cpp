#include "config/ip_address.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(IsIPAddress, DottedAddressesWithZeroOnlyInTheMiddleParts) {
  for (const char* ok : {"192.168.0.20", "255.255.255.255", "010.001.001.001", "1.0.0.255"})
    EXPECT_TRUE(IsIPAddress(ok)) << ok;
  for (const char* bad : {"", ".1.1.1", "1.1.1.1.", "1.1.1", "1.1.1.1.1", "0.1.1.1", "1.1.1.0",
                          "256.1.1.1", "1.256.1.1", "1..1.1", "a.b.c.d", "1.1.1.1 ", " 1.1.1.1",
                          "1,1.1.1", "-1.1.1.1", "99999999999.1.1.1", "1.1.1.99999999999"})
    EXPECT_FALSE(IsIPAddress(bad)) << bad;
}

TEST(ParseIPv4Address, ReadsTheValueWhateverTheLeadingZeros) {
  const auto loopback = ParseIPv4Address("127.0.0.1");
  ASSERT_TRUE(loopback);
  EXPECT_EQ(ParseIPv4Address("0127.0.0.01"), loopback);
  EXPECT_EQ(ParseIPv4Address("127.000.000.001")->ToText(), "127.0.0.1");
  EXPECT_NE(ParseIPv4Address("127.0.0.2"), loopback);
  // Unlike the settings' test, a resolved address may hold a 0 anywhere.
  EXPECT_EQ(ParseIPv4Address("10.0.0.0")->ToText(), "10.0.0.0");
  for (const char* bad : {"", "1.1.1", "1.1.1.1.1", "256.0.0.1", "1..1.1", " 1.1.1.1", "localhost",
                          "1.1.1.99999999999"})
    EXPECT_FALSE(ParseIPv4Address(bad)) << bad;
}

}  // namespace
}  // namespace velnook

#include "config/ip_address.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(IsIPAddress, AcceptsDottedAddressesWithZeroInTheMiddleParts) {
  for (const char* ok : {"192.168.1.20", "192.168.0.20", "10.0.0.1", "127.0.0.1", "1.1.1.1",
                         "255.255.255.255", "010.001.001.001", "1.0.0.255"})
    EXPECT_TRUE(IsIPAddress(ok)) << ok;
}

TEST(IsIPAddress, RejectsEverythingElse) {
  for (const char* bad :
       {"", ".1.1.1", "1.1.1.1.", "1.1.1", "1.1.1.1.1", "0.1.1.1", "1.1.1.0", "256.1.1.1",
        "1.256.1.1", "1..1.1", "1.1..1", "a.b.c.d", "1.1.1.1 ", " 1.1.1.1", "1,1.1.1",
        "host.example", "-1.1.1.1", "99999999999.1.1.1", "1.1.1.99999999999"})
    EXPECT_FALSE(IsIPAddress(bad)) << bad;
}

}  // namespace
}  // namespace velnook

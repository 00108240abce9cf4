#include "config/leading_number.h"

#include <gtest/gtest.h>

namespace velnook {
namespace {

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfAText) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"300", 300},   {"12abc", 12}, {"1 0", 10},    {"abc", 0},   {"", 0},       {"  -7", -7},
      {"+5", 5},      {"2.5", 2.5},  {"1.2.3", 1.2}, {".5", 0.5},  {"1e3", 1000}, {"1D2", 100},
      {"1E-1", 0.1},  {"2e", 2},     {"2e+", 2},     {"&H1F", 31}, {"&O17", 15},  {"&H", 0},
      {"&HZ", 0},     {"&X1", 0},    {"\t4\n2", 42}, {"-", 0},     {".", 0},      {"2,7", 2},
      {"1 e 2", 100}, {"0x10", 0},
  };
  for (const auto& c : cases) {
    auto v = LeadingNumber(c.text);
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
  }
  EXPECT_FALSE(LeadingNumber("1e999").has_value());
  EXPECT_FALSE(LeadingNumber(std::string(400, '9')).has_value());
  EXPECT_FALSE(LeadingNumber("1" + std::string(400, '0') + "e-5").has_value());
  // Too small for a double is zero, not "too large".
  EXPECT_EQ(LeadingNumber("1e-999"), 0.0);
  EXPECT_EQ(LeadingNumber("-0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1e402"), 10.0);
}

TEST(LeadingNumber, IntegersRoundHalfToEvenAndMustFitTheirType) {
  EXPECT_EQ(ToInt16(2.5), 2);
  EXPECT_EQ(ToInt16(3.5), 4);
  EXPECT_EQ(ToInt16(-2.5), -2);
  EXPECT_EQ(ToInt16(-32768), -32768);
  EXPECT_FALSE(ToInt16(32767.5).has_value());  // rounds to 32768
  EXPECT_FALSE(ToInt16(-32769).has_value());
  EXPECT_EQ(ToInt32(70000), 70000);
  EXPECT_FALSE(ToInt32(3e9).has_value());
}

}  // namespace
}  // namespace velnook

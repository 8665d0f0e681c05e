#include "grouped_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>

namespace {

// Groups a plain decimal text from the right, the sign kept in front.
std::string GroupFromTheRight(const std::string& decimal) {
  const bool negative = !decimal.empty() && decimal[0] == '-';
  const std::string digits = negative ? decimal.substr(1) : decimal;
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) grouped += '.';
    grouped += digits[i];
  }
  return (negative ? "-" : "") + grouped;
}

TEST(ToDecimal, PlainSignedDecimal) {
  EXPECT_STREQ("0", ToDecimal(0).data());
  EXPECT_STREQ("5", ToDecimal(5).data());
  EXPECT_STREQ("-5", ToDecimal(-5).data());
  EXPECT_STREQ("1000050", ToDecimal(1000050).data());
  EXPECT_STREQ("2147483647", ToDecimal(INT32_MAX).data());
  EXPECT_STREQ("-2147483648", ToDecimal(INT32_MIN).data());
}

TEST(FormatGrouped, FullStopBetweenGroupsOfThree) {
  const struct {
    int32_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {999, "999"},
      {1000, "1.000"},
      {50000, "50.000"},
      {1000000, "1.000.000"},
      {1000050, "1.000.050"},
      {50000000, "50.000.000"},
      {50000001, "50.000.001"},
      {1999999999, "1.999.999.999"},
      {INT32_MAX, "2.147.483.647"},
      // The sign stands before the grouped magnitude, never before a separator.
      {-1, "-1"},
      {-100, "-100"},
      {-1000, "-1.000"},
      {-100000, "-100.000"},
      {-999999, "-999.999"},
      {INT32_MIN, "-2.147.483.648"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.text, FormatGrouped(c.value).data()) << c.value;
  }
}

TEST(FormatGroupedSize, CoversTheFullUnsignedRange) {
  EXPECT_STREQ("0", FormatGroupedSize(0).data());
  EXPECT_STREQ("50.001", FormatGroupedSize(50001).data());
  EXPECT_STREQ("2.147.483.648", FormatGroupedSize(2147483648u).data());
  EXPECT_STREQ("4.294.967.296", FormatGroupedSize(4294967296u).data());
  EXPECT_STREQ("5.368.709.120", FormatGroupedSize(5368709120u).data());
  EXPECT_STREQ("18.446.744.073.709.551.615", FormatGroupedSize(UINT64_MAX).data());
}

TEST(FormatGrouped, RandomValuesGroupLikeTheirDecimalText) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 2000; ++i) {
    const uint64_t wide = rng() >> (rng() % 64);  // every length of number
    const auto narrow = static_cast<int32_t>(static_cast<uint32_t>(wide));
    EXPECT_EQ(std::to_string(narrow), ToDecimal(narrow).data());
    EXPECT_EQ(GroupFromTheRight(std::to_string(narrow)), FormatGrouped(narrow).data());
    EXPECT_EQ(GroupFromTheRight(std::to_string(wide)), FormatGroupedSize(wide).data());
  }
}

}  // namespace

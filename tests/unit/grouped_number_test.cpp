#include "grouped_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

TEST(NumberText, PlainAndGrouped) {
  const struct {
    int32_t value;
    const char* plain;
    const char* grouped;
  } rows[] = {
      {0, "0", "0"},
      {999, "999", "999"},
      {1000, "1000", "1.000"},
      {50000, "50000", "50.000"},
      {1000050, "1000050", "1.000.050"},
      {INT32_MAX, "2147483647", "2.147.483.647"},
      {-5, "-5", "-5"},
      {-100, "-100", "-100"},  // the sign stands before the grouped magnitude
      {-1000, "-1000", "-1.000"},
      {INT32_MIN, "-2147483648", "-2.147.483.648"},
  };
  for (const auto& row : rows) {
    EXPECT_STREQ(ToDecimal(row.value).data(), row.plain);
    EXPECT_STREQ(FormatGrouped(row.value).data(), row.grouped);
  }
  EXPECT_STREQ(FormatGroupedSize(0).data(), "0");
  EXPECT_STREQ(FormatGroupedSize(4294967396u).data(), "4.294.967.396");
  EXPECT_STREQ(FormatGroupedSize(UINT64_MAX).data(), "18.446.744.073.709.551.615");
}

}  // namespace

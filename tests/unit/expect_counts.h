// Field-by-field comparison of statistics, so a failure names the counter.
#pragma once

#include <gtest/gtest.h>

#include "text_stats.h"

inline void ExpectCounts(const TextCounts& expected, const TextCounts& actual) {
  EXPECT_EQ(expected.letters, actual.letters);
  EXPECT_EQ(expected.words, actual.words);
  EXPECT_EQ(expected.lines, actual.lines);
  EXPECT_EQ(expected.sentences, actual.sentences);
  EXPECT_EQ(expected.digits, actual.digits);
  EXPECT_EQ(expected.spaces, actual.spaces);
  EXPECT_EQ(expected.symbols, actual.symbols);
}

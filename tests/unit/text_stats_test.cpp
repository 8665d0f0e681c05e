#include "text_stats.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

namespace {

using namespace std::string_literals;
using Counts = std::array<uint32_t, 7>;  // letters, words, lines, sentences, digits, spaces, symbols

Counts Fields(const TextCounts& c) { return {c.letters, c.words, c.lines, c.sentences, c.digits, c.spaces, c.symbols}; }

// Worked out by hand from the rules; together the rows take every byte range
// at its edges and every class into and out of each rule.
TEST(CountText, HandWorkedTexts) {
  const struct {
    std::string text;
    Counts counts;
    std::array<uint32_t, 3> derived;  // characters, average word, average sentence
    CharClass end;
  } rows[] = {
      {"", {0, 1, 1, 0, 0, 0, 0}, {0, 0, 0}, CharClass::None},
      {"Hello world.", {10, 2, 1, 1, 0, 1, 1}, {12, 5, 2}, CharClass::Period},
      {"@AZ[`az{", {4, 1, 1, 0, 0, 0, 4}, {8, 4, 0}, CharClass::Letter},
      {"/09:", {0, 1, 1, 0, 2, 0, 2}, {4, 0, 0}, CharClass::Digit},
      {"!~\x7F\x80\xFF\t\r\x1F\0"s, {0, 1, 1, 0, 0, 0, 2}, {2, 0, 0}, CharClass::None},
      {"a (\t\x80"
       "b",
       {2, 2, 1, 0, 0, 1, 1},
       {4, 1, 0},
       CharClass::Letter},  // only a space before starts a word
      {"a\nb 1c .d", {4, 1, 2, 0, 1, 2, 1}, {8, 4, 0}, CharClass::Letter},
      {"end!. x..\n. 3.1", {4, 2, 2, 2, 2, 2, 6}, {14, 2, 1}, CharClass::Digit},  // only a letter before ends one
      {" a", {1, 2, 1, 0, 0, 1, 0}, {2, 0, 0}, CharClass::Letter},
      {".a\r\n", {1, 1, 2, 0, 0, 0, 1}, {2, 1, 0}, CharClass::Newline},
      {"a \x01", {1, 1, 1, 0, 0, 1, 0}, {2, 1, 0}, CharClass::Space},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.text));
    TextCounts counts;
    CharClass end = CharClass::None;
    CountText(reinterpret_cast<const uint8_t*>(row.text.data()), row.text.size(), counts, end);
    EXPECT_EQ(Fields(counts), row.counts);
    const DerivedFigures derived = DeriveFigures(counts);
    EXPECT_EQ((std::array{derived.characters, derived.averageWord, derived.averageSentence}), row.derived);
    EXPECT_EQ(end, row.end);
  }
  EXPECT_EQ(DeriveFigures(TextCounts{7, 0, 1, 0, 0, 0, 0}).averageWord, 0u);  // no division by zero words
}

// Fed in any split, the same bytes give what one pass gives.
TEST(CountText, AnySplitCountsAsOnePass) {
  const std::string alphabet = "aZ .\n7(\0\x80\t"s;
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    std::string text(rng() % 300, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    TextCounts whole, split;
    CharClass wholeEnd = CharClass::None, splitEnd = CharClass::None;
    CountText(bytes, text.size(), whole, wholeEnd);
    for (size_t at = 0, length = 0; at < text.size(); at += length) {
      length = std::min<size_t>(rng() % 9, text.size() - at);  // empty chunks too
      CountText(bytes + at, length, split, splitEnd);
    }
    EXPECT_EQ(Fields(split), Fields(whole));
    EXPECT_EQ(splitEnd, wholeEnd);
  }
}

}  // namespace

#include "text_stats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "expect_counts.h"

namespace {

// A deliberately plain re-statement of the counting rules, one byte at a time,
// so the table-driven scanner is checked against something written differently.
struct Reference {
  TextCounts counts;
  CharClass charClass = CharClass::None;

  void Feed(uint8_t b) {
    const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
    if (b == '\n') {
      counts.lines++;
      charClass = CharClass::Newline;
    } else if (b == ' ') {
      counts.spaces++;
      charClass = CharClass::Space;
    } else if (b == '.') {
      counts.symbols++;
      if (charClass == CharClass::Letter) counts.sentences++;
      charClass = CharClass::Period;
    } else if (b >= '0' && b <= '9') {
      counts.digits++;
      charClass = CharClass::Digit;
    } else if (letter) {
      counts.letters++;
      if (charClass == CharClass::Space) counts.words++;
      charClass = CharClass::Letter;
    } else if (b >= 0x21 && b <= 0x7E) {
      counts.symbols++;
    }
  }
};

TextCounts ReferenceCounts(const std::vector<uint8_t>& bytes) {
  Reference reference;
  for (uint8_t b : bytes) reference.Feed(b);
  return reference.counts;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TextCounts CountOnce(const std::vector<uint8_t>& bytes, CharClass* endClass = nullptr) {
  TextCounts counts;
  CharClass charClass = CharClass::None;
  CountText(bytes.data(), bytes.size(), counts, charClass);
  if (endClass != nullptr) *endClass = charClass;
  return counts;
}

// Text made mostly of the bytes the rules single out, so that every class
// transition happens often.
std::vector<uint8_t> RandomText(std::mt19937& rng, size_t length) {
  static const uint8_t kAlphabet[] = {'a', 'Z',  'q',  ' ',  ' ',  '.',  '.',  '\n', '\r', '\t', '7', '(', '!',
                                      ',', 0x00, 0x7F, 0xE9, 0x80, 0xFF, 0x1B, '@',  '[',  '`',  '{', '/', ':'};
  std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 1);
  std::uniform_int_distribution<int> anyByte(0, 255);
  std::vector<uint8_t> text(length);
  for (auto& b : text) b = (rng() % 8 == 0) ? static_cast<uint8_t>(anyByte(rng)) : kAlphabet[pick(rng)];
  return text;
}

struct Case {
  const char* text;
  TextCounts counts;  // letters, words, lines, sentences, digits, spaces, symbols
  DerivedFigures derived;
};

TEST(CountText, DocumentedExamples) {
  const Case cases[] = {
      {"", {0, 1, 1, 0, 0, 0, 0}, {0, 0, 0}},
      {"Hello world.", {10, 2, 1, 1, 0, 1, 1}, {12, 5, 2}},
      {"a\nb", {2, 1, 2, 0, 0, 0, 0}, {2, 2, 0}},
      {"a\tb", {2, 1, 1, 0, 0, 0, 0}, {2, 2, 0}},
      {"a  b", {2, 2, 1, 0, 0, 2, 0}, {4, 1, 0}},
      {"a (b", {2, 2, 1, 0, 0, 1, 1}, {4, 1, 0}},  // a symbol keeps the class at space
      {"3.14", {0, 1, 1, 0, 3, 0, 1}, {4, 0, 0}},
      {"end!.", {3, 1, 1, 1, 0, 0, 2}, {5, 3, 1}},  // '!' keeps the class at letter
      {"e.g.", {2, 1, 1, 2, 0, 0, 2}, {4, 2, 0}},
      {" a", {1, 2, 1, 0, 0, 1, 0}, {2, 0, 0}},  // a leading space counts the first word twice
      {"a .b", {2, 1, 1, 0, 0, 1, 1}, {4, 2, 0}},
      {"\n\n\n", {0, 1, 4, 0, 0, 0, 0}, {0, 0, 0}},
      {"line one\r\nline two\r\n", {14, 3, 3, 0, 0, 2, 0}, {16, 4, 0}},
      {"x 1a", {2, 1, 1, 0, 1, 1, 0}, {4, 2, 0}},  // a letter after a digit starts no word
      {"caf\xE9 ol\xE9 \x7F\x01z.", {6, 3, 1, 1, 0, 2, 1}, {9, 2, 3}},
      {"~!@#$%^&*()_+-=[]{};':\",/<>?\\|`", {0, 1, 1, 0, 0, 0, 31}, {31, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.text)));
    const TextCounts counts = CountOnce(Bytes(c.text));
    ExpectCounts(c.counts, counts);
    const DerivedFigures derived = DeriveFigures(counts);
    EXPECT_EQ(c.derived.characters, derived.characters);
    EXPECT_EQ(c.derived.averageWord, derived.averageWord);
    EXPECT_EQ(c.derived.averageSentence, derived.averageSentence);
  }
}

// Every byte from every class: the counters it bumps and the class it leaves.
TEST(CountText, EveryByteFromEveryClassMatchesTheRules) {
  const CharClass classes[] = {CharClass::None,   CharClass::Newline, CharClass::Space,
                               CharClass::Period, CharClass::Digit,   CharClass::Letter};
  for (CharClass from : classes) {
    for (int b = 0; b < 256; ++b) {
      SCOPED_TRACE(testing::Message() << "class " << static_cast<int>(from) << " byte " << b);
      const auto byte = static_cast<uint8_t>(b);
      Reference reference;
      reference.charClass = from;
      reference.Feed(byte);

      TextCounts counts;
      CharClass charClass = from;
      CountText(&byte, 1, counts, charClass);
      ExpectCounts(reference.counts, counts);
      EXPECT_EQ(reference.charClass, charClass);
    }
  }
}

// The class is carried between calls: a chunk ending in a letter followed by
// one starting with a full stop is still a sentence, and a space then a letter
// still a word.
TEST(CountText, ClassCarriesAcrossChunks) {
  TextCounts counts;
  CharClass charClass = CharClass::None;
  const std::string first = "one tw";
  const std::string second = ".";
  const std::string third = "x ";
  const std::string fourth = "\x01(y";
  for (const std::string* part : {&first, &second, &third, &fourth}) {
    CountText(reinterpret_cast<const uint8_t*>(part->data()), part->size(), counts, charClass);
  }
  ExpectCounts(CountOnce(Bytes(first + second + third + fourth)), counts);
  EXPECT_EQ(1u, counts.sentences);
  EXPECT_EQ(3u, counts.words);
  EXPECT_EQ(CharClass::Letter, charClass);
}

TEST(CountText, RandomSplitsMatchOnePassAndTheReference) {
  std::mt19937 rng(20240601);
  for (int round = 0; round < 300; ++round) {
    const std::vector<uint8_t> text = RandomText(rng, 1 + rng() % 2000);
    SCOPED_TRACE(testing::Message() << "round " << round);

    CharClass oneClass = CharClass::None;
    const TextCounts onePass = CountOnce(text, &oneClass);
    ExpectCounts(ReferenceCounts(text), onePass);

    TextCounts chunked;
    CharClass charClass = CharClass::None;
    size_t at = 0;
    while (at < text.size()) {
      const size_t length = std::min<size_t>(text.size() - at, rng() % 40);  // empty chunks too
      CountText(text.data() + at, length, chunked, charClass);
      at += length;
    }
    ExpectCounts(onePass, chunked);
    EXPECT_EQ(oneClass, charClass);
  }
}

TEST(DeriveFigures, DividesWithoutRemainderAndGuardsZero) {
  TextCounts counts;
  counts.letters = 29;
  counts.words = 6;
  counts.sentences = 4;
  counts.symbols = 3;
  counts.digits = 2;
  counts.spaces = 5;
  DerivedFigures derived = DeriveFigures(counts);
  EXPECT_EQ(39u, derived.characters);
  EXPECT_EQ(4u, derived.averageWord);
  EXPECT_EQ(1u, derived.averageSentence);

  counts.words = 0;
  counts.sentences = 0;
  derived = DeriveFigures(counts);
  EXPECT_EQ(0u, derived.averageWord);
  EXPECT_EQ(0u, derived.averageSentence);
}

}  // namespace

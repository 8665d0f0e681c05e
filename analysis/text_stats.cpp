#include "text_stats.h"

#include <array>

namespace {

// Every byte falls into one category; the scanner's whole behaviour is a table
// indexed by (class, byte), so the inner loop has no data-dependent branches.
enum Tally : uint8_t { kLetters, kWords, kLines, kSentences, kDigits, kSpaces, kSymbols, kNothing, kTallyCount };

constexpr int kClassCount = 6;

struct Step {
  uint8_t next;     // class after the byte
  uint8_t primary;  // tally the byte itself counts in
  uint8_t event;    // word or sentence the byte completes, else kNothing
};

constexpr Step MakeStep(CharClass from, uint8_t b) {
  const auto keep = static_cast<uint8_t>(from);
  if (b == 0x0A) return {static_cast<uint8_t>(CharClass::Newline), kLines, kNothing};
  if (b == 0x20) return {static_cast<uint8_t>(CharClass::Space), kSpaces, kNothing};
  if (b == 0x2E) {
    return {static_cast<uint8_t>(CharClass::Period), kSymbols,
            from == CharClass::Letter ? uint8_t{kSentences} : uint8_t{kNothing}};
  }
  if (b >= 0x30 && b <= 0x39) return {static_cast<uint8_t>(CharClass::Digit), kDigits, kNothing};
  if ((b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A)) {
    return {static_cast<uint8_t>(CharClass::Letter), kLetters,
            from == CharClass::Space ? uint8_t{kWords} : uint8_t{kNothing}};
  }
  if (b >= 0x21 && b <= 0x7E) return {keep, kSymbols, kNothing};
  return {keep, kNothing, kNothing};
}

using StepTable = std::array<std::array<Step, 256>, kClassCount>;

constexpr StepTable MakeTable() {
  StepTable table{};
  for (int c = 0; c < kClassCount; ++c) {
    for (int b = 0; b < 256; ++b) {
      table[c][b] = MakeStep(static_cast<CharClass>(c), static_cast<uint8_t>(b));
    }
  }
  return table;
}

constexpr StepTable kSteps = MakeTable();

}  // namespace

void CountText(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  std::array<uint32_t, kTallyCount> tally{};
  auto state = static_cast<uint8_t>(charClass);
  for (size_t i = 0; i < byteCount; ++i) {
    const Step step = kSteps[state][bytes[i]];
    ++tally[step.primary];
    ++tally[step.event];
    state = step.next;
  }
  counts.letters += tally[kLetters];
  counts.words += tally[kWords];
  counts.lines += tally[kLines];
  counts.sentences += tally[kSentences];
  counts.digits += tally[kDigits];
  counts.spaces += tally[kSpaces];
  counts.symbols += tally[kSymbols];
  charClass = static_cast<CharClass>(state);
}

DerivedFigures DeriveFigures(const TextCounts& counts) {
  DerivedFigures figures;
  figures.characters = counts.symbols + counts.digits + counts.spaces + counts.letters;
  figures.averageWord = counts.words == 0 ? 0 : counts.letters / counts.words;
  figures.averageSentence = counts.sentences == 0 ? 0 : counts.words / counts.sentences;
  return figures;
}

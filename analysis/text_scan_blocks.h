// The statistics over 64-byte blocks, shared by the SSE2 and AVX2 scanners.
// Each classifies a block's bytes into bit masks (bit i for byte i) and counts
// the plain tallies in its own vector counters; the rules that look back at
// the previous classifying byte work on the masks here. Everything has
// internal linkage, so no copy built for one instruction set stands in for
// another's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text_scanners.h"

namespace {

// Line feeds, spaces, full stops, digits and letters classify: they set the class.
struct BlockBits {
  uint64_t classifying, spaces, letters, periods;
};

// The tallies scanners keep in vector byte counters; symbols are the
// printable bytes (0x21 to 0x7E) that are neither letters nor digits.
enum Plain { kLines, kDigits, kPrintable, kSpaces, kLetters, kPlainCount };

// Scans the whole 64-byte blocks of bytes, adds to counts and returns how
// many bytes it took; charClass carries in and out as in CountText. Vector
// provides Counters (vector byte counters, zero when made), Classify(block,
// counters) -> BlockBits, Drain(counters, totals) and kBlocksPerDrain, the
// most blocks before a byte counter could overflow.
template <typename Vector>
size_t ScanBlocks(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  const uint8_t* const end = bytes + byteCount / 64 * 64;
  uint64_t totals[kPlainCount] = {};
  uint64_t words = 0, sentences = 0;
  // Whether the last classifying byte before the block is a space, a letter.
  uint64_t afterSpace = charClass == CharClass::Space, afterLetter = charClass == CharClass::Letter;
  const uint8_t* lastClassifying = nullptr;  // the last block with a classifying byte
  for (const uint8_t* block = bytes; block != end;) {
    const uint8_t* const drain =
        static_cast<size_t>(end - block) / 64 > Vector::kBlocksPerDrain ? block + 64 * Vector::kBlocksPerDrain : end;
    typename Vector::Counters counters{};
    for (; block != drain; block += 64) {
      const BlockBits b = Vector::Classify(block, counters);
      // A bit added just after each space carries through the run of other
      // bytes that follows it and stops at the next classifying byte: of the
      // classifying bytes, those whose previous classifying byte is a space
      // have their bit set in the sum. A carry out of the block is such a
      // run going on into the next. Likewise after each letter.
      uint64_t afterSpaces = 0, afterLetters = 0;
      const bool spaceRuns = __builtin_add_overflow((b.spaces << 1) | afterSpace, ~b.classifying, &afterSpaces);
      const bool letterRuns = __builtin_add_overflow((b.letters << 1) | afterLetter, ~b.classifying, &afterLetters);
      // A letter after a space starts a word; a full stop after a letter ends a sentence.
      words += static_cast<uint64_t>(__builtin_popcountll(b.letters & afterSpaces));
      sentences += static_cast<uint64_t>(__builtin_popcountll(b.periods & afterLetters));
      afterSpace = (b.spaces >> 63) | static_cast<uint64_t>(spaceRuns);
      afterLetter = (b.letters >> 63) | static_cast<uint64_t>(letterRuns);
      lastClassifying = b.classifying != 0 ? block : lastClassifying;
    }
    Vector::Drain(counters, totals);
  }
  counts.lines += static_cast<uint32_t>(totals[kLines]);
  counts.spaces += static_cast<uint32_t>(totals[kSpaces]);
  counts.digits += static_cast<uint32_t>(totals[kDigits]);
  counts.letters += static_cast<uint32_t>(totals[kLetters]);
  counts.symbols += static_cast<uint32_t>(totals[kPrintable] - totals[kLetters] - totals[kDigits]);
  counts.words += static_cast<uint32_t>(words);
  counts.sentences += static_cast<uint32_t>(sentences);
  // The blocks end with the class of their last classifying byte, which the
  // rules find again in its block.
  if (lastClassifying != nullptr) {
    TextCounts unused;
    CountTextPortable(lastClassifying, 64, unused, charClass);
  }
  return byteCount / 64 * 64;
}

}  // namespace

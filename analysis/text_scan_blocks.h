// The statistics over 64-byte blocks, shared by the vector scanners. Each
// scanner classifies a block's bytes into bit masks (bit i for byte i) and
// counts the plain tallies in its own vector counters; the rules that look
// back at the previous classifying byte work on the masks here. Everything has
// internal linkage, so no copy built for one instruction set stands in for
// another's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text_stats.h"

namespace {

// Line feeds, spaces, full stops, digits and letters classify: they set the class.
struct BlockBits {
  uint64_t classifying, spaces, letters, periods;
};

// The tallies scanners keep in vector byte counters; symbols are the
// printable bytes (0x21 to 0x7E) that are neither letters nor digits.
enum Plain { kLines, kDigits, kPrintable, kSpaces, kLetters, kPlainCount };

// Bit i set when the last classifying byte at or before byte i is one of
// members, or, with none in the block up to i, when before is 1. Each run of
// other bytes follows a classifying byte or the block's start; adding a bit at
// the start of each run that follows a non-member clears that run by carrying
// through it.
inline uint64_t FillForward(uint64_t members, uint64_t classifying, uint64_t before) {
  const uint64_t others = ~classifying;
  const uint64_t starts = others & (((classifying & ~members) << 1) | (before ^ 1));
  const uint64_t cleared = others & ~(others + starts);
  return (members | others) & ~cleared;
}

// Scans the whole 64-byte blocks of bytes, adds to counts and returns how
// many bytes it took; charClass carries in and out as in CountText. Scanner
// provides Counters (vector byte counters, zero when made), Classify(bytes,
// counters) -> BlockBits, Drain(counters, totals) and kBlocksPerDrain, the
// most blocks before a byte counter could overflow.
// Blocks without a classifying byte are rare in text: noting them apart keeps
// the loop free of work for finding the last classifying byte.
struct EmptyRun {
  size_t first = 0, end = 0;  // the latest run of empty blocks
};

[[gnu::noinline]] void NoteEmptyBlock(EmptyRun& run, size_t block) {
  if (run.end != block) run.first = block;
  run.end = block + 1;
}

template <typename Scanner>
size_t ScanBlocks(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  const size_t blocks = byteCount / 64;
  uint64_t totals[kPlainCount] = {};
  uint64_t words = 0, sentences = 0;
  uint64_t afterSpace = charClass == CharClass::Space, afterLetter = charClass == CharClass::Letter;
  EmptyRun empty;
  BlockBits final{};
  for (size_t block = 0; block < blocks;) {
    const size_t end = block + (blocks - block < Scanner::kBlocksPerDrain ? blocks - block : Scanner::kBlocksPerDrain);
    typename Scanner::Counters counters{};
    for (; block < end; ++block) {
      const BlockBits b = Scanner::Classify(bytes + 64 * block, counters);
      const uint64_t space = FillForward(b.spaces, b.classifying, afterSpace);
      const uint64_t letter = FillForward(b.letters, b.classifying, afterLetter);
      // A letter whose previous classifying byte is a space starts a word; a
      // full stop whose previous one is a letter ends a sentence.
      words += static_cast<uint64_t>(__builtin_popcountll(b.letters & ((space << 1) | afterSpace)));
      sentences += static_cast<uint64_t>(__builtin_popcountll(b.periods & ((letter << 1) | afterLetter)));
      afterSpace = space >> 63;
      afterLetter = letter >> 63;
      if (__builtin_expect(b.classifying == 0, 0)) NoteEmptyBlock(empty, block);
      final = b;
    }
    Scanner::Drain(counters, totals);
  }
  counts.lines += static_cast<uint32_t>(totals[kLines]);
  counts.spaces += static_cast<uint32_t>(totals[kSpaces]);
  counts.digits += static_cast<uint32_t>(totals[kDigits]);
  counts.letters += static_cast<uint32_t>(totals[kLetters]);
  counts.symbols += static_cast<uint32_t>(totals[kPrintable] - totals[kLetters] - totals[kDigits]);
  counts.words += static_cast<uint32_t>(words);
  counts.sentences += static_cast<uint32_t>(sentences);
  // The last block with a classifying byte: the final one, or the one before
  // the empty blocks that end the scan, classified again; none before those.
  size_t lastBlock = blocks - 1;
  uint64_t lastClassifying = final.classifying;
  if (blocks != 0 && empty.end == blocks && empty.first != 0) {
    typename Scanner::Counters unused{};
    lastBlock = empty.first - 1;
    lastClassifying = Scanner::Classify(bytes + 64 * lastBlock, unused).classifying;
  }
  if (lastClassifying != 0) {
    // The one byte that sets the class the blocks end with.
    const uint8_t last = bytes[64 * lastBlock + 63 - static_cast<size_t>(__builtin_clzll(lastClassifying))];
    charClass = last == '\n'  ? CharClass::Newline
                : last == ' ' ? CharClass::Space
                : last == '.' ? CharClass::Period
                : last <= '9' ? CharClass::Digit
                              : CharClass::Letter;
  }
  return blocks * 64;
}

}  // namespace

// The statistics over 64-byte blocks, shared by the SSE2 and AVX2 scanners.
// One classifier, written over the vector width, turns a block's bytes into
// bit masks (bit i for byte i) and counts the plain tallies in vector
// counters; the rules that look back at the previous classifying byte work on
// the masks. Everything has internal linkage, so no copy built for one
// instruction set stands in for another's.
#pragma once

#include <emmintrin.h>

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

// The classifier over the byte vectors of one instruction set, written with
// GCC's and Clang's vector operators, which compile to that set's compares
// and sums. Ops names the set's Vector type and the two steps operators do not
// spell: TopBits (each byte's top bit, as a bit) and Sums (the bytes' sums in
// two 64-bit halves).
template <typename Ops>
struct Classifier {
  using Vector = typename Ops::Vector;
  static constexpr int kWidth = sizeof(Vector);
  // Bytes are added unsigned, as the counters wrap, and compared signed, as
  // the instructions compare; a compare sets all the bits of a byte it holds for.
  typedef uint8_t Bytes __attribute__((vector_size(kWidth)));
  typedef int8_t Mask __attribute__((vector_size(kWidth)));
  struct Counters {
    Bytes lines, digits, printable, spaces, letters;
  };
  // Each vector of a block adds at most one to a byte counter.
  static constexpr size_t kBlocksPerDrain = 255 / (64 / kWidth);

  // Signed compares only: a byte is in [low, low + count) when, moved so that
  // the range ends at 127, it lies above 127 - count.
  static Mask InRange(Bytes v, int low, int count) {
    const Bytes moved = v + static_cast<uint8_t>(127 - (low + count - 1));
    return __builtin_bit_cast(Mask, moved) > static_cast<int8_t>(127 - count);
  }

  static void Tally(Bytes& counter, Mask mask) { counter -= __builtin_bit_cast(Bytes, mask); }

  static Vector AsVector(Mask mask) { return __builtin_bit_cast(Vector, mask); }
  static uint64_t Bits(Vector mask, int at) { return static_cast<uint64_t>(Ops::TopBits(mask)) << at; }

  // Line feeds and digits only classify, so they share a mask.
  static void Part(const uint8_t* bytes, int at, Counters& c, BlockBits& b, uint64_t& others) {
    Bytes v;
    __builtin_memcpy(&v, bytes + at, kWidth);
    // In this order GCC 12 gives the AVX2 scanner its best speed (text_stats_bench).
    const Mask printable = InRange(v, 0x21, 94), letters = InRange(v | 0x20, 'a', 26);
    const Mask lineFeeds = v == '\n', digits = InRange(v, '0', 10), spaces = v == ' ';
    Tally(c.lines, lineFeeds);
    Tally(c.digits, digits);
    Tally(c.spaces, spaces);
    Tally(c.letters, letters);
    Tally(c.printable, printable);
    b.spaces |= Bits(AsVector(spaces), at);
    b.letters |= Bits(AsVector(letters), at);
    b.periods |= Bits(AsVector(v == '.'), at);
    others |= Bits(AsVector(lineFeeds) | AsVector(digits), at);
  }

  static BlockBits Classify(const uint8_t* block, Counters& c) {
    BlockBits b{};
    uint64_t others = 0;
    // Unrolled, so that each part's place is a constant.
#pragma GCC unroll 4
    for (int at = 0; at < 64; at += kWidth) Part(block, at, c, b, others);
    b.classifying = b.spaces | b.letters | b.periods | others;
    return b;
  }

  // A drain's sums stay far below 2^32, so 32-bit x86 needs no 64-bit extract.
  static uint64_t Sum(Bytes counters) {
    const __m128i pair = Ops::Sums(__builtin_bit_cast(Vector, counters));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_add_epi64(pair, _mm_unpackhi_epi64(pair, pair))));
  }

  static void Drain(const Counters& c, uint64_t* totals) {
    totals[kLines] += Sum(c.lines);
    totals[kDigits] += Sum(c.digits);
    totals[kPrintable] += Sum(c.printable);
    totals[kSpaces] += Sum(c.spaces);
    totals[kLetters] += Sum(c.letters);
  }
};

// Scans the whole 64-byte blocks of bytes, adds to counts and returns how
// many bytes it took; charClass carries in and out as in CountText.
template <typename Ops>
size_t ScanBlocks(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  using Blocks = Classifier<Ops>;
  const uint8_t* const end = bytes + byteCount / 64 * 64;
  uint64_t totals[kPlainCount] = {};
  uint64_t words = 0, sentences = 0;
  // Whether the last classifying byte before the block is a space, a letter.
  uint64_t afterSpace = charClass == CharClass::Space, afterLetter = charClass == CharClass::Letter;
  const uint8_t* lastClassifying = nullptr;  // the last block with a classifying byte
  for (const uint8_t* block = bytes; block != end;) {
    const uint8_t* const drain =
        static_cast<size_t>(end - block) / 64 > Blocks::kBlocksPerDrain ? block + 64 * Blocks::kBlocksPerDrain : end;
    typename Blocks::Counters counters{};
    for (; block != drain; block += 64) {
      const BlockBits b = Blocks::Classify(block, counters);
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
    Blocks::Drain(counters, totals);
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

// The block scanner for every x86 and x64 processor: 16 bytes a compare.
#include <emmintrin.h>

#include "text_scan_blocks.h"

namespace {

// Signed compares only: a byte is in [low, low + count) when, moved so that
// low becomes -128, it lies below -128 + count.
__m128i InRange(__m128i v, int low, int count) {
  return _mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(static_cast<char>(0x80 - low))),
                        _mm_set1_epi8(static_cast<char>(-128 + count)));
}

uint64_t Bits(__m128i mask, int at) {
  return static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(mask))) << at;
}

struct Sse2 {
  struct Counters {
    __m128i lines, digits, printable, spaces, letters;
  };
  // Each quarter of a block adds at most one to a byte counter.
  static constexpr size_t kBlocksPerDrain = 63;

  // Line feeds and digits only classify, so they share a mask.
  static void Part(const uint8_t* bytes, int at, Counters& c, BlockBits& b, uint64_t& others) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    const __m128i lineFeeds = _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'));
    const __m128i digits = InRange(v, '0', 10);
    const __m128i spaces = _mm_cmpeq_epi8(v, _mm_set1_epi8(' '));
    const __m128i letters = InRange(_mm_or_si128(v, _mm_set1_epi8(0x20)), 'a', 26);
    c.lines = _mm_sub_epi8(c.lines, lineFeeds);
    c.digits = _mm_sub_epi8(c.digits, digits);
    c.spaces = _mm_sub_epi8(c.spaces, spaces);
    c.letters = _mm_sub_epi8(c.letters, letters);
    c.printable = _mm_sub_epi8(c.printable, InRange(v, 0x21, 94));
    b.spaces |= Bits(spaces, at);
    b.letters |= Bits(letters, at);
    b.periods |= Bits(_mm_cmpeq_epi8(v, _mm_set1_epi8('.')), at);
    others |= Bits(_mm_or_si128(lineFeeds, digits), at);
  }

  static BlockBits Classify(const uint8_t* block, Counters& c) {
    BlockBits b{};
    uint64_t others = 0;
    Part(block, 0, c, b, others);
    Part(block, 16, c, b, others);
    Part(block, 32, c, b, others);
    Part(block, 48, c, b, others);
    b.classifying = b.spaces | b.letters | b.periods | others;
    return b;
  }

  // A drain's sums stay far below 2^32, so 32-bit x86 needs no 64-bit extract.
  static uint64_t Sum(__m128i counters) {
    const __m128i pair = _mm_sad_epu8(counters, _mm_setzero_si128());
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

}  // namespace

size_t ScanBlocksSse2(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  return ScanBlocks<Sse2>(bytes, byteCount, counts, charClass);
}

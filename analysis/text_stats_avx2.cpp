// The block scanner for processors with AVX2: 32 bytes a compare.
#include <immintrin.h>

#include "text_scan_blocks.h"

namespace {

__m256i Bytes(int value) { return _mm256_set1_epi8(static_cast<char>(value)); }

// Signed compares only: a byte is in [low, low + count) when, moved so that
// the range ends at 127, it lies above 127 - count.
__m256i InRange(__m256i v, int low, int count) {
  return _mm256_cmpgt_epi8(_mm256_add_epi8(v, Bytes(127 - (low + count - 1))), Bytes(127 - count));
}

uint64_t Bits(__m256i mask, int at) {
  return static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(mask))) << at;
}

struct Avx2 {
  struct Counters {
    __m256i lines, digits, printable, spaces, letters;
  };
  // Each half of a block adds at most one to a byte counter.
  static constexpr size_t kBlocksPerDrain = 127;

  // Line feeds and digits only classify, so they share a mask.
  static void Half(const uint8_t* bytes, int at, Counters& c, BlockBits& b, uint64_t& others) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + at));
    const __m256i lineFeeds = _mm256_cmpeq_epi8(v, Bytes('\n'));
    const __m256i digits = InRange(v, '0', 10);
    const __m256i spaces = _mm256_cmpeq_epi8(v, Bytes(' '));
    const __m256i letters = InRange(_mm256_or_si256(v, Bytes(0x20)), 'a', 26);
    c.lines = _mm256_sub_epi8(c.lines, lineFeeds);
    c.digits = _mm256_sub_epi8(c.digits, digits);
    c.spaces = _mm256_sub_epi8(c.spaces, spaces);
    c.letters = _mm256_sub_epi8(c.letters, letters);
    c.printable = _mm256_sub_epi8(c.printable, InRange(v, 0x21, 94));
    b.spaces |= Bits(spaces, at);
    b.letters |= Bits(letters, at);
    b.periods |= Bits(_mm256_cmpeq_epi8(v, Bytes('.')), at);
    others |= Bits(_mm256_or_si256(lineFeeds, digits), at);
  }

  static BlockBits Classify(const uint8_t* block, Counters& c) {
    BlockBits b{};
    uint64_t others = 0;
    Half(block, 0, c, b, others);
    Half(block, 32, c, b, others);
    b.classifying = b.spaces | b.letters | b.periods | others;
    return b;
  }

  // A drain's sums stay far below 2^32, so 32-bit x86 needs no 64-bit extract.
  static uint64_t Sum(__m256i counters) {
    const __m256i sums = _mm256_sad_epu8(counters, _mm256_setzero_si256());
    const __m128i pair = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
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

size_t ScanBlocksAvx2(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  return ScanBlocks<Avx2>(bytes, byteCount, counts, charClass);
}

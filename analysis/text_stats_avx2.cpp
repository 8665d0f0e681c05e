// The block scanner for processors with AVX2: 32 bytes a compare.
#include <immintrin.h>

#include "text_scan_blocks.h"
#include "text_scan_paths.h"

namespace {

// Signed compares only: a byte is in [low, low + count) when, moved so that
// low becomes -128, it lies below -128 + count.
__m256i InRange(__m256i v, int low, int count) {
  return _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(-128 + count)),
                           _mm256_add_epi8(v, _mm256_set1_epi8(static_cast<char>(0x80 - low))));
}

uint64_t Bits(__m256i mask, int at) {
  return static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(mask))) << at;
}

struct Avx2 {
  struct Counters {
    __m256i lines, digits, symbols;
  };
  // Each half of a block adds at most one to a byte counter.
  static constexpr size_t kBlocksPerDrain = 127;

  static void Part(const uint8_t* bytes, int at, Counters& c, BlockBits& b) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + at));
    const __m256i lineFeeds = _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n'));
    const __m256i spaces = _mm256_cmpeq_epi8(v, _mm256_set1_epi8(' '));
    const __m256i periods = _mm256_cmpeq_epi8(v, _mm256_set1_epi8('.'));
    const __m256i digits = InRange(v, '0', 10);
    const __m256i letters = InRange(_mm256_or_si256(v, _mm256_set1_epi8(0x20)), 'a', 26);
    const __m256i alphanumeric = _mm256_or_si256(digits, letters);
    c.lines = _mm256_sub_epi8(c.lines, lineFeeds);
    c.digits = _mm256_sub_epi8(c.digits, digits);
    c.symbols = _mm256_sub_epi8(c.symbols, _mm256_andnot_si256(alphanumeric, InRange(v, 0x21, 94)));
    b.classifying |=
        Bits(_mm256_or_si256(_mm256_or_si256(lineFeeds, spaces), _mm256_or_si256(periods, alphanumeric)), at);
    b.spaces |= Bits(spaces, at);
    b.letters |= Bits(letters, at);
    b.periods |= Bits(periods, at);
  }

  static BlockBits Classify(const uint8_t* bytes, Counters& c) {
    BlockBits b{};
    Part(bytes, 0, c, b);
    Part(bytes, 32, c, b);
    return b;
  }

  static uint64_t Sum(__m256i counters) {
    // Stored rather than extracted: 32-bit x86 has no 64-bit extract.
    alignas(32) uint64_t quarters[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(quarters), _mm256_sad_epu8(counters, _mm256_setzero_si256()));
    return quarters[0] + quarters[1] + quarters[2] + quarters[3];
  }

  static void Drain(const Counters& c, uint64_t* totals) {
    totals[kLines] += Sum(c.lines);
    totals[kDigits] += Sum(c.digits);
    totals[kSymbols] += Sum(c.symbols);
  }
};

}  // namespace

size_t ScanBlocksAvx2(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  return ScanBlocks<Avx2>(bytes, byteCount, counts, charClass);
}

// The block scanner for processors with AVX2: 32 bytes a compare.
#include <immintrin.h>

#include "text_scan_blocks.h"

namespace {

struct Avx2 {
  using Vector = __m256i;
  static uint32_t TopBits(Vector v) { return static_cast<uint32_t>(_mm256_movemask_epi8(v)); }
  static __m128i Sums(Vector v) {
    const __m256i sums = _mm256_sad_epu8(v, _mm256_setzero_si256());
    return _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  }
};

}  // namespace

size_t ScanBlocksAvx2(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  return ScanBlocks<Avx2>(bytes, byteCount, counts, charClass);
}

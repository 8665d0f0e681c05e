// The block scanner for every x86 and x64 processor: 16 bytes a compare.
#include <emmintrin.h>

#include "text_scan_blocks.h"

namespace {

struct Sse2 {
  using Vector = __m128i;
  static uint32_t TopBits(Vector v) { return static_cast<uint32_t>(_mm_movemask_epi8(v)); }
  static __m128i Sums(Vector v) { return _mm_sad_epu8(v, _mm_setzero_si128()); }
};

}  // namespace

size_t ScanBlocksSse2(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  return ScanBlocks<Sse2>(bytes, byteCount, counts, charClass);
}

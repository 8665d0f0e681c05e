// The block scanner for processors with AVX-512 F, BW, VBMI, VBMI2 and
// VPOPCNTDQ, and GFNI: 64 bytes a step. Its masks never leave the vector
// registers: moving them to general registers costs more than all the rest.
#include <immintrin.h>

#include "text_scanners.h"

namespace {

// A byte's classes as the bits of one byte, one bit a class; after the
// transposition each class is one 64-bit lane of masks, bit i for byte i.
enum Lane { kSpaces, kLetters, kPeriods, kLineFeeds, kDigits, kPrintable, kClassifying, kSpacesAgain };

constexpr uint8_t ClassBits(int b) {
  constexpr auto bit = [](Lane lane) { return static_cast<uint8_t>(1 << lane); };
  if (b == '\n') return bit(kLineFeeds) | bit(kClassifying);
  if (b == ' ') return bit(kSpaces) | bit(kSpacesAgain) | bit(kClassifying);
  if (b == '.') return bit(kPeriods) | bit(kPrintable) | bit(kClassifying);
  if (b >= '0' && b <= '9') return bit(kDigits) | bit(kPrintable) | bit(kClassifying);
  if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) return bit(kLetters) | bit(kPrintable) | bit(kClassifying);
  return b >= 0x21 && b <= 0x7E ? bit(kPrintable) : 0;
}

constexpr int kBytes = sizeof(__m512i);

struct Tables {
  uint8_t classes[0x80];                               // by byte below 0x80; the others have none
  uint8_t reversed[kBytes];                            // each quadword's bytes from last to first
  uint8_t selectors[kBytes];                           // byte j of each quadword: bit j
  uint8_t lanes[kBytes];                               // byte q of lane j: class j of quadword q
  uint64_t classifying[kBytes / 8], next[kBytes / 8];  // a lane each
};

constexpr Tables MakeTables() {
  Tables t{};
  for (int b = 0; b < 0x80; ++b) t.classes[b] = ClassBits(b);
  for (int i = 0; i < kBytes; ++i) {
    t.reversed[i] = static_cast<uint8_t>((i & ~7) | (7 - (i & 7)));
    t.selectors[i] = static_cast<uint8_t>(1 << (i & 7));
    t.lanes[i] = static_cast<uint8_t>((i & 7) * 8 + i / 8);
  }
  for (int j = 0; j < 8; ++j) {
    t.classifying[j] = kClassifying;
    t.next[j] = (j + 1) & 7;
  }
  return t;
}

constexpr Tables kTables = MakeTables();

__m512i Load(const void* p) { return _mm512_loadu_si512(p); }

// The zero-masking permutes with every lane kept: GCC 12 takes the plain
// ones' undefined source for an uninitialised variable.
__m512i PermuteBytes(__m512i index, __m512i v) { return _mm512_maskz_permutexvar_epi8(~__mmask64{0}, index, v); }
__m512i PermuteLanes(__m512i index, __m512i v) { return _mm512_maskz_permutexvar_epi64(0xFF, index, v); }

}  // namespace

size_t ScanBlocksAvx512(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  const __m512i classesLow = Load(kTables.classes), classesHigh = Load(kTables.classes + kBytes);
  const __m512i reversed = Load(kTables.reversed), selectors = Load(kTables.selectors), lanes = Load(kTables.lanes);
  const __m512i classifying = Load(kTables.classifying), next = Load(kTables.next);
  // By class, the lane that tells whether the last classifying byte so far
  // is of that class, in its bit 63.
  constexpr int kLaneOf[] = {-1, kLineFeeds, kSpaces, kPeriods, kDigits, kLetters};
  const int lane = kLaneOf[static_cast<int>(charClass)];
  __m512i after = _mm512_maskz_set1_epi64(lane < 0 ? 0 : static_cast<__mmask8>(1 << lane), INT64_MIN);
  __m512i tallies = _mm512_setzero_si512();
  const uint8_t* const end = bytes + byteCount / 64 * 64;
  for (const uint8_t* block = bytes; block != end; block += 64) {
    const __m512i v = Load(block);
    // The lookup takes seven bits; bytes from 0x80 up have no class.
    const __m512i classes =
        _mm512_maskz_permutex2var_epi8(_mm512_testn_epi8_mask(v, _mm512_set1_epi8(-128)), classesLow, v, classesHigh);
    // The affine transform multiplies each byte of its first operand by the
    // bit matrix in the same quadword of its second, whose rows are bytes
    // taken from the last to the first. With selectors for the first and
    // eight bytes' classes for the matrix, byte j of each quadword gets class
    // j of those eight bytes: a transposition, gathered into lanes.
    const __m512i masks =
        PermuteBytes(lanes, _mm512_gf2p8affine_epi64_epi8(selectors, _mm512_shuffle_epi8(classes, reversed), 0));
    // In each lane, x is the class's bits moved up one byte, with bit 0 set
    // when the last classifying byte before the block is of the class. Added
    // to the other bytes, ~C, each of its bits carries through the run of
    // them that follows, up to the next classifying byte: the classifying
    // bytes whose previous classifying byte is of the class are those set in
    // x + ~C, that is clear in its complement C - x.
    const __m512i classifyingBits = PermuteLanes(classifying, masks);
    const __m512i notAfter = _mm512_sub_epi64(classifyingBits, _mm512_shldi_epi64(masks, after, 1));
    // A letter after a space starts a word, a full stop after a letter ends
    // a sentence: counted in the lanes of spaces and letters, whose own
    // counts come from the other lanes.
    const __m512i starts =
        _mm512_mask_andnot_epi64(masks, (1 << kSpaces) | (1 << kLetters), notAfter, PermuteLanes(next, masks));
    tallies = _mm512_add_epi64(tallies, _mm512_popcnt_epi64(starts));
    // Bit 63: whether the block's last classifying byte, or with none the
    // one before the block, is of the lane's class. 0xF2: a | (~b & c).
    after = _mm512_ternarylogic_epi64(masks, classifyingBits, notAfter, 0xF2);
  }
  uint64_t t[8], a[8];
  _mm512_storeu_si512(t, tallies);
  _mm512_storeu_si512(a, after);
  const uint64_t letters = t[kClassifying] - t[kSpacesAgain] - t[kPeriods] - t[kLineFeeds] - t[kDigits];
  counts.letters += static_cast<uint32_t>(letters);
  counts.words += static_cast<uint32_t>(t[kSpaces]);
  counts.lines += static_cast<uint32_t>(t[kLineFeeds]);
  counts.sentences += static_cast<uint32_t>(t[kLetters]);
  counts.digits += static_cast<uint32_t>(t[kDigits]);
  counts.spaces += static_cast<uint32_t>(t[kSpacesAgain]);
  counts.symbols += static_cast<uint32_t>(t[kPrintable] - letters - t[kDigits]);
  for (int c = 1; c < 6; ++c)
    if (a[kLaneOf[c]] >> 63 != 0) charClass = static_cast<CharClass>(c);
  return byteCount / 64 * 64;
}

#include "text_stats.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "text_scan_paths.h"

namespace {

// Each byte's tallies as 8-bit lanes of one word, so that a run of bytes is
// counted by adding words; the counters stay in registers.
constexpr int kLetterLane = 32, kWordLane = 40, kSentenceLane = 48;
constexpr size_t kLaneLimit = 255;

constexpr uint64_t Lane(int lane) { return uint64_t{1} << lane; }

// What a byte means to the class, in one word: the class it sets in the low
// byte (0 when it keeps the class); a trigger in the words or sentences lane
// when it completes one after the right class; one bit above that trigger
// when it is that right class. The scanner keeps the word of the last byte
// that set the class, so the class update waits on no lookup that depends on
// the class: a shift and an AND find the events.
constexpr uint64_t kTriggers = Lane(kWordLane) | Lane(kSentenceLane);

struct ByteMeaning {
  uint64_t tallies, meta;
};

constexpr ByteMeaning Mean(uint8_t b) {
  const auto sets = [](CharClass c) { return static_cast<uint64_t>(c); };
  if (b == 0x0A) return {Lane(8), sets(CharClass::Newline)};
  if (b == 0x20) return {Lane(16), sets(CharClass::Space) | Lane(kWordLane + 1)};
  if (b == 0x2E) return {Lane(0), sets(CharClass::Period) | Lane(kSentenceLane)};
  if (b >= 0x30 && b <= 0x39) return {Lane(24), sets(CharClass::Digit)};
  if ((b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A))
    return {Lane(kLetterLane), sets(CharClass::Letter) | Lane(kWordLane) | Lane(kSentenceLane + 1)};
  return {b >= 0x21 && b <= 0x7E ? Lane(0) : 0, 0};  // a symbol, or nothing
}

template <size_t... kBytes>
constexpr std::array<ByteMeaning, sizeof...(kBytes)> MakeTable(std::index_sequence<kBytes...>) {
  return {Mean(static_cast<uint8_t>(kBytes))...};
}

constexpr auto kMeanings = MakeTable(std::make_index_sequence<256>());

uint32_t LaneValue(uint64_t packed, int lane) { return static_cast<uint32_t>((packed >> lane) & 0xFF); }

using BlockScanner = size_t (*)(const uint8_t*, size_t, TextCounts&, CharClass&);

// By path: the portable scanner has no blocks.
#if QUORVANE_X86_SCANNERS
constexpr BlockScanner kBlockScanners[] = {nullptr, ScanBlocksSse2, ScanBlocksAvx2};
#else
constexpr BlockScanner kBlockScanners[] = {nullptr, nullptr, nullptr};
#endif

BlockScanner ScannerOf(ScanPath path) { return kBlockScanners[static_cast<int>(path)]; }

ScanPath InitialPath() {
  ScanPath best = ScanPath::Portable;
  for (int p = kScanPathCount - 1; p > 0 && best == ScanPath::Portable; --p)
    if (ScanPathAvailable(static_cast<ScanPath>(p))) best = static_cast<ScanPath>(p);
  const char* forced = getenv("QUORVANE_SCAN_PATH");
  if (forced == nullptr) return best;
  constexpr std::array<const char*, kScanPathCount> kNames = {"portable", "sse2", "avx2"};
  for (int p = 0; p < kScanPathCount; ++p)
    if (strcmp(forced, kNames[p]) == 0 && ScanPathAvailable(static_cast<ScanPath>(p))) return static_cast<ScanPath>(p);
  return best;
}

ScanPath g_path = InitialPath();
BlockScanner g_scanner = ScannerOf(g_path);

}  // namespace

void CountTextPortable(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  // The word of a byte of the class carried in.
  const uint8_t representative[] = {0, '\n', ' ', '.', '0', 'a'};
  uint64_t state = kMeanings[representative[static_cast<int>(charClass)]].meta;
  for (size_t i = 0; i < byteCount;) {
    const size_t end = i + std::min(byteCount - i, kLaneLimit);
    uint64_t packed = 0;
    for (; i < end; ++i) {
      const ByteMeaning& meaning = kMeanings[bytes[i]];
      const uint64_t meta = meaning.meta;
      packed += meaning.tallies + (meta & (state >> 1) & kTriggers);
      state = (meta & 0xFF) != 0 ? meta : state;
    }
    counts.symbols += LaneValue(packed, 0);
    counts.lines += LaneValue(packed, 8);
    counts.spaces += LaneValue(packed, 16);
    counts.digits += LaneValue(packed, 24);
    counts.letters += LaneValue(packed, kLetterLane);
    counts.words += LaneValue(packed, kWordLane);
    counts.sentences += LaneValue(packed, kSentenceLane);
  }
  charClass = static_cast<CharClass>(state & 0xFF);
}

bool ScanPathAvailable(ScanPath path) {
#if QUORVANE_X86_SCANNERS
  __builtin_cpu_init();
  if (path == ScanPath::Sse2) return __builtin_cpu_supports("sse2");
  // That scanner is also built with POPCNT and BMI1, which every processor
  // with AVX2 has; asked all the same.
  if (path == ScanPath::Avx2)
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
#endif
  return path == ScanPath::Portable;
}

ScanPath ActiveScanPath() { return g_path; }

bool SelectScanPath(ScanPath path) {
  if (!ScanPathAvailable(path)) return false;
  g_path = path;
  g_scanner = ScannerOf(path);
  return true;
}

void CountText(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  const size_t taken = g_scanner != nullptr ? g_scanner(bytes, byteCount, counts, charClass) : 0;
  CountTextPortable(bytes + taken, byteCount - taken, counts, charClass);
}

DerivedFigures DeriveFigures(const TextCounts& counts) {
  return {counts.symbols + counts.digits + counts.spaces + counts.letters,
          counts.words == 0 ? 0 : counts.letters / counts.words,
          counts.sentences == 0 ? 0 : counts.words / counts.sentences};
}

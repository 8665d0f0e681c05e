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

// The scanner's state is a word made for the class of the last classifying
// byte: all tally lanes open, the words lane open after a space, the
// sentences lane after a letter, and the class in the top lane. A byte's
// tallies hold a trigger in the words lane for a letter and in the sentences
// lane for a full stop, and ANDing them with the state closes a trigger the
// class does not open. The class update is a conditional move of the byte's
// own state word: it waits on no lookup that depends on the class.
constexpr uint64_t kTallyLanes = Lane(kWordLane) - 1;
constexpr int kSetsClassBit = 47;  // in the words lane's top bit, which no tally reaches
constexpr int kClassLane = 56;

constexpr uint64_t StateOf(CharClass c) {
  return kTallyLanes | (c == CharClass::Space ? Lane(kWordLane) : 0) |
         (c == CharClass::Letter ? Lane(kSentenceLane) : 0) | Lane(kSetsClassBit) |
         static_cast<uint64_t>(c) << kClassLane;
}

struct ByteMeaning {
  uint64_t tallies, state;  // state 0 when the byte keeps the class
};

constexpr ByteMeaning Mean(uint8_t b) {
  if (b == 0x0A) return {Lane(8), StateOf(CharClass::Newline)};
  if (b == 0x20) return {Lane(16), StateOf(CharClass::Space)};
  if (b == 0x2E) return {Lane(0) | Lane(kSentenceLane), StateOf(CharClass::Period)};
  if (b >= 0x30 && b <= 0x39) return {Lane(24), StateOf(CharClass::Digit)};
  if ((b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A))
    return {Lane(kLetterLane) | Lane(kWordLane), StateOf(CharClass::Letter)};
  return {b >= 0x21 && b <= 0x7E ? Lane(0) : 0, 0};  // a symbol, or nothing
}

// Each part in a table of its own, so that a byte indexes each directly.
template <uint64_t ByteMeaning::*kPart, size_t... kBytes>
constexpr std::array<uint64_t, sizeof...(kBytes)> Column(std::index_sequence<kBytes...>) {
  return {(Mean(static_cast<uint8_t>(kBytes)).*kPart)...};
}

constexpr std::array<uint64_t, 256> kTallies = Column<&ByteMeaning::tallies>(std::make_index_sequence<256>());
constexpr std::array<uint64_t, 256> kStates = Column<&ByteMeaning::state>(std::make_index_sequence<256>());

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
  const ScanPath best = ScanPathAvailable(ScanPath::Avx2)   ? ScanPath::Avx2
                        : ScanPathAvailable(ScanPath::Sse2) ? ScanPath::Sse2
                                                            : ScanPath::Portable;
  const char* forced = getenv("QUORVANE_SCAN_PATH");
  ScanPath path = best;
  return forced != nullptr && ParseScanPath(forced, path) && ScanPathAvailable(path) ? path : best;
}

ScanPath g_path = InitialPath();
BlockScanner g_scanner = ScannerOf(g_path);

}  // namespace

void CountTextPortable(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  uint64_t state = StateOf(charClass);
  for (size_t i = 0; i < byteCount;) {
    const size_t end = i + std::min(byteCount - i, kLaneLimit);
    uint64_t packed = 0;
    for (; i < end; ++i) {
      const uint64_t sets = kStates[bytes[i]];
      packed += kTallies[bytes[i]] & state;
      state = (sets >> kSetsClassBit) & 1 ? sets : state;
    }
    counts.symbols += LaneValue(packed, 0);
    counts.lines += LaneValue(packed, 8);
    counts.spaces += LaneValue(packed, 16);
    counts.digits += LaneValue(packed, 24);
    counts.letters += LaneValue(packed, kLetterLane);
    counts.words += LaneValue(packed, kWordLane);
    counts.sentences += LaneValue(packed, kSentenceLane);
  }
  charClass = static_cast<CharClass>(state >> kClassLane);
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

bool ParseScanPath(const char* name, ScanPath& path) {
  constexpr std::array<const char*, kScanPathCount> kNames = {"portable", "sse2", "avx2"};
  for (int p = 0; p < kScanPathCount; ++p) {
    if (strcmp(name, kNames[p]) != 0) continue;
    path = static_cast<ScanPath>(p);
    return true;
  }
  return false;
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

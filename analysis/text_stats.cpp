#include "text_stats.h"

#include <array>
#include <cstdlib>
#include <cstring>

#include "text_scanners.h"

#if QUORVANE_X86_SCANNERS
#include <cpuid.h>
#endif

namespace {

using BlockScanner = size_t (*)(const uint8_t*, size_t, TextCounts&, CharClass&);

constexpr std::array<const char*, kScannerCount> kNames = {"portable", "sse2", "avx2", "avx512"};

// By scanner: the portable one has no blocks.
#if QUORVANE_X86_SCANNERS
constexpr std::array<BlockScanner, kScannerCount> kBlockScanners = {nullptr, ScanBlocksSse2, ScanBlocksAvx2,
                                                                    ScanBlocksAvx512};
#else
constexpr std::array<BlockScanner, kScannerCount> kBlockScanners = {};
#endif

constexpr uint32_t Bit(Scanner scanner) { return 1u << static_cast<int>(scanner); }

#if QUORVANE_X86_SCANNERS
// The parts of the register file whose state the system saves, by their bits
// in XCR0 and Intel's names: SSE, AVX and AVX-512's opmask, ZMM_Hi256 and
// Hi16_ZMM.
constexpr unsigned kSseState = 0x02, kAvxState = 0x04, kOpmaskState = 0x20, kZmmHi256State = 0x40, kHi16ZmmState = 0x80;
#endif

// The scanners this processor has the instructions of and whose registers
// the system saves when it switches threads: a processor with AVX-512 under a
// system that does not save its registers must not run it. The feature bits
// are cpuid.h's.
uint32_t DetectScanners() {
  uint32_t found = Bit(Scanner::Portable);
#if QUORVANE_X86_SCANNERS
  const auto has = [](unsigned word, unsigned bits) { return (word & bits) == bits; };
  unsigned a{}, b{}, c{}, d{};
  if (!__get_cpuid(1, &a, &b, &c, &d)) return found;
  const bool sse2 = has(d, bit_SSE2), popcnt = has(c, bit_POPCNT);
  uint32_t xcr0{}, high{};
  if (has(c, bit_OSXSAVE)) __asm__("xgetbv" : "=a"(xcr0), "=d"(high) : "c"(0));
  unsigned b7{}, c7{};  // left zero by a processor without leaf 7
  __get_cpuid_count(7, 0, &a, &b7, &c7, &d);
  // The AVX2 scanner is also built with POPCNT and BMI1, which every
  // processor with AVX2 has; asked all the same.
  const bool avx2 = has(xcr0, kSseState | kAvxState) && popcnt && has(b7, bit_AVX2 | bit_BMI);
  // AVX-512 F and BW with VBMI, VBMI2, VPOPCNTDQ and GFNI: Ice Lake, Zen 4
  // and later. Skylake's AVX-512 lacks them and runs the AVX2 scanner.
  const bool avx512 = avx2 && has(xcr0, kOpmaskState | kZmmHi256State | kHi16ZmmState) &&
                      has(b7, bit_AVX512F | bit_AVX512BW) &&
                      has(c7, bit_AVX512VBMI | bit_AVX512VBMI2 | bit_AVX512VPOPCNTDQ | bit_GFNI);
  if (sse2) found |= Bit(Scanner::Sse2);
  if (avx2) found |= Bit(Scanner::Avx2);
  if (avx512) found |= Bit(Scanner::Avx512);
#endif
  return found;
}

const uint32_t g_available = DetectScanners();

Scanner InitialScanner() {
  Scanner best = Scanner::Portable;
  for (const Scanner faster : {Scanner::Sse2, Scanner::Avx2, Scanner::Avx512})
    if (ScannerAvailable(faster)) best = faster;
  const char* forced = getenv("QUORVANE_SCANNER");
  Scanner scanner = best;
  return forced != nullptr && ParseScanner(forced, scanner) && ScannerAvailable(scanner) ? scanner : best;
}

Scanner g_scanner = InitialScanner();

}  // namespace

void CountTextPortable(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  TextCounts c = counts;  // a copy the compiler may keep in registers
  CharClass last = charClass;
  for (size_t i = 0; i < byteCount; ++i) {
    const uint8_t b = bytes[i];
    if (b == '\n') {
      ++c.lines;
      last = CharClass::Newline;
    } else if (b == ' ') {
      ++c.spaces;
      last = CharClass::Space;
    } else if (b == '.') {
      ++c.symbols;
      if (last == CharClass::Letter) ++c.sentences;
      last = CharClass::Period;
    } else if (b >= '0' && b <= '9') {
      ++c.digits;
      last = CharClass::Digit;
    } else if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
      ++c.letters;
      if (last == CharClass::Space) ++c.words;
      last = CharClass::Letter;
    } else if (b >= 0x21 && b <= 0x7E) {
      ++c.symbols;
    }
  }
  counts = c;
  charClass = last;
}

bool ScannerAvailable(Scanner scanner) { return (g_available & Bit(scanner)) != 0; }

const char* ScannerName(Scanner scanner) { return kNames[static_cast<int>(scanner)]; }

bool ParseScanner(const char* name, Scanner& scanner) {
  for (int s = 0; s < kScannerCount; ++s) {
    if (strcmp(name, kNames[s]) != 0) continue;
    scanner = static_cast<Scanner>(s);
    return true;
  }
  return false;
}

Scanner ActiveScanner() { return g_scanner; }

bool SelectScanner(Scanner scanner) {
  if (!ScannerAvailable(scanner)) return false;
  g_scanner = scanner;
  return true;
}

void CountText(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass) {
  const BlockScanner blocks = kBlockScanners[static_cast<int>(g_scanner)];
  const size_t taken = blocks != nullptr ? blocks(bytes, byteCount, counts, charClass) : 0;
  CountTextPortable(bytes + taken, byteCount - taken, counts, charClass);
}

DerivedFigures DeriveFigures(const TextCounts& counts) {
  return {counts.symbols + counts.digits + counts.spaces + counts.letters,
          counts.words == 0 ? 0 : counts.letters / counts.words,
          counts.sentences == 0 ? 0 : counts.words / counts.sentences};
}

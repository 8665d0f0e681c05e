// Byte-based text statistics: the program's definition of a word, a sentence
// and a line.
#pragma once

#include <cstddef>
#include <cstdint>

// Class of the last line feed, space, full stop, digit or letter seen. Other
// bytes leave it unchanged.
enum class CharClass : uint8_t { None, Newline, Space, Period, Digit, Letter };

struct TextCounts {
  uint32_t letters = 0;
  uint32_t words = 1;  // the first word of the text
  uint32_t lines = 1;
  uint32_t sentences = 0;
  uint32_t digits = 0;
  uint32_t spaces = 0;
  uint32_t symbols = 0;
};

struct DerivedFigures {
  uint32_t characters;
  uint32_t averageWord;
  uint32_t averageSentence;
};

// Scans byteCount bytes once, updating counts and charClass in place so that a
// text can be fed in chunks.
void CountText(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass);

// The scanners CountText can run on, all with the same results. It takes the
// fastest this processor has, unless QUORVANE_SCAN_PATH (portable, sse2 or
// avx2) names another one it has when the program starts.
enum class ScanPath : uint8_t { Portable, Sse2, Avx2 };
constexpr int kScanPathCount = 3;
bool ScanPathAvailable(ScanPath path);  // built in, and supported by this processor
// The path named "portable", "sse2" or "avx2"; false, path untouched, for any other name.
bool ParseScanPath(const char* name, ScanPath& path);
ScanPath ActiveScanPath();
// From now on CountText runs on path; false, changing nothing, when it is not available.
bool SelectScanPath(ScanPath path);

DerivedFigures DeriveFigures(const TextCounts& counts);

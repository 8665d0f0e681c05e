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
// fastest this processor and system have, unless QUORVANE_SCANNER (portable,
// sse2, avx2 or avx512) names another one they have when the program starts.
enum class Scanner : uint8_t { Portable, Sse2, Avx2, Avx512 };
constexpr int kScannerCount = 4;
bool ScannerAvailable(Scanner scanner);  // built in, and supported by this processor and system
const char* ScannerName(Scanner scanner);
// The scanner of that name; false, scanner untouched, for any other name.
bool ParseScanner(const char* name, Scanner& scanner);
Scanner ActiveScanner();
// From now on CountText runs on scanner; false, changing nothing, when it is not available.
bool SelectScanner(Scanner scanner);

DerivedFigures DeriveFigures(const TextCounts& counts);

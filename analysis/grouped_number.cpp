#include "grouped_number.h"

#include <cstdlib>

namespace {

// Writes the digits of magnitude, most significant first, after an optional
// sign; groups of three are separated by full stops when grouped.
NumberText Compose(bool negative, uint64_t magnitude, bool grouped) {
  std::array<char, 20> digits{};  // least significant first; the most a uint64_t has
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);

  NumberText text{};
  size_t at = 0;
  if (negative) text[at++] = '-';
  for (int i = count - 1; i >= 0; --i) {
    text[at++] = digits[i];
    if (grouped && i != 0 && i % 3 == 0) text[at++] = '.';
  }
  text[at] = '\0';
  return text;
}

uint64_t Magnitude(int32_t value) {
  // Widen before negating so that INT32_MIN does not overflow.
  return static_cast<uint64_t>(std::abs(static_cast<int64_t>(value)));
}

}  // namespace

NumberText ToDecimal(int32_t value) { return Compose(value < 0, Magnitude(value), false); }

NumberText FormatGrouped(int32_t value) { return Compose(value < 0, Magnitude(value), true); }

NumberText FormatGroupedSize(uint64_t value) { return Compose(false, value, true); }

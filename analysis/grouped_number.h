// Decimal text with a full stop between groups of three digits (1.000.050).
// No locale is consulted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Large enough for the sign, twenty digits, six separators and the terminator.
using NumberText = std::array<char, 1 + 20 + 6 + 1>;

// Plain signed decimal: "0", "-5", "123".
NumberText ToDecimal(int32_t value);

// Grouped decimal; a negative value gets its sign before the grouped
// magnitude (-1.000).
NumberText FormatGrouped(int32_t value);

// Grouped decimal of an unsigned 64-bit value, for file sizes.
NumberText FormatGroupedSize(uint64_t value);

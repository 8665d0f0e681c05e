// The scanners behind CountText. Each vector scanner takes the whole 64-byte
// blocks, returns how many bytes it took and leaves the rest to the portable
// one; each is built only where its instruction set exists and run only where
// the processor and the system have it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text_stats.h"

// The counting rules byte by byte: the reference every other scanner is
// checked against.
void CountTextPortable(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass);
size_t ScanBlocksSse2(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass);
size_t ScanBlocksAvx2(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass);
size_t ScanBlocksAvx512(const uint8_t* bytes, size_t byteCount, TextCounts& counts, CharClass& charClass);

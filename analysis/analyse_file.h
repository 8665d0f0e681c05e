// One analysis: size, head preview, type and text statistics of a file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "file_io.h"
#include "preview_text.h"
#include "text_stats.h"

constexpr uint32_t kHeadLimit = 50'000;
constexpr uint32_t kStatisticsLimit = 50'000'000;
constexpr uint32_t kChunkSize = 1'000'000;
// The body is read in pieces a quarter of that size, each scanned while it
// is still in the processor's second-level cache (1 MB a core on the Zen 4
// and Zen 5 measured), which a whole chunk, with the page cache it is copied
// from, overflows: on a Zen 5 the reads alone took 1.4 to 1.6 times as long
// in chunks. On a Zen 4, pieces of 128 KiB to 1 MB took the same time
// within 3%. A piece also touches a quarter of the work buffer's fresh
// pages, each a fault the first time.
constexpr uint32_t kReadPiece = 256 * 1024;
// The work buffer's size: one chunk and 50 bytes more, as the program has
// always had it; the head and the four zero bytes after it fit in its first
// 50,004.
constexpr size_t kWorkBufferSize = 1'000'050;
static_assert(kReadPiece + 63 <= kWorkBufferSize, "a piece fits wherever in the buffer a cache line starts");

// What one analysis finds. It names no file: each caller shows the name it
// holds, as it holds it.
struct AnalysisResult {
  uint64_t size{};           // full length in bytes
  bool contentRead = false;  // at least one byte of the head was read
  uint32_t countedBytes{};   // the bytes the statistics cover, from the first
  PreviewEncoding previewEncoding = PreviewEncoding::Ansi;
  uint32_t previewLength{};                    // the preview's bytes, as FindPreview finds them
  bool previewCut = false;                     // and whether they end where the head's limit cut the file
  std::array<char, kHeadLimit + 1> preview{};  // and a terminator; empty when nothing was read
  const char* typeDescription = "Unknown";
  TextCounts counts;
  DerivedFigures derived{};
};

// Analyses the file name names (see FileOpenExclusive) using workBuffer
// (kWorkBufferSize bytes, owned by the caller and reused across calls);
// allocates nothing. Returns false, with result untouched and *error set
// when given, when the file cannot be opened or read, or changes in length
// or content while it is read; *systemError, when given, is then the
// system's code for a failed read (see FileRead), 0 for anything else.
bool AnalyseFile(const PathChar* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error = nullptr,
                 uint32_t* systemError = nullptr);

// One analysis: size, head preview, type and text statistics of a file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "bounded_text.h"
#include "file_io.h"
#include "text_stats.h"

constexpr uint32_t kHeadLimit = 50'000;
constexpr uint32_t kStatisticsLimit = 50'000'000;
constexpr uint32_t kChunkSize = 1'000'000;
// One chunk plus room for the head's four terminating zero bytes and spare.
constexpr size_t kWorkBufferSize = 1'000'050;

struct AnalysisResult {
  TextBuffer path{};
  uint64_t size{};                             // full length in bytes
  bool contentRead = false;                    // at least one byte of the head was read
  uint32_t previewLength{};                    // bytes before the head's first zero byte
  std::array<char, kHeadLimit + 1> preview{};  // empty when nothing was read
  const char* typeDescription = "Unknown";
  TextCounts counts;
  DerivedFigures derived{};
};

static_assert(sizeof AnalysisResult::preview == kHeadLimit + 1, "the head and its terminator");

// Analyses the file at path using workBuffer (kWorkBufferSize bytes, owned by
// the caller and reused across calls); allocates nothing. Returns false, with
// result untouched and *error set when given, when the file cannot be opened,
// changes in length or content while it is read, or the path does not fit
// kTextCapacity.
bool AnalyseFile(const char* path, uint8_t* workBuffer, AnalysisResult& result, FileError* error = nullptr);

// The same for a file opened with FileOpenExclusive (or its wide form, or at
// a path longer than a result holds), which it closes; result.path is left
// empty, for the caller to name the file as it knows it.
bool AnalyseOpenFile(FileHandle file, uint8_t* workBuffer, AnalysisResult& result, FileError* error = nullptr);

#ifdef _WIN32
// By a wide name: as AnalyseFile does by the name's ANSI form where the code
// page holds it exactly (result.path then holds it); otherwise by the wide
// name itself, at any length, leaving result.path empty.
bool AnalyseFileWide(const wchar_t* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error = nullptr);
#endif

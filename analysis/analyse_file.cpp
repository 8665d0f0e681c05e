#include "analyse_file.h"

#include <algorithm>
#include <cstring>

#include "signatures.h"

namespace {

bool Fail(FileError reason, FileError* error) {
  if (error != nullptr) *error = reason;
  return false;
}

// Counts the first min(length, kStatisticsLimit) bytes chunk by chunk. A read
// that delivers nothing ends the scan; a short one is scanned as delivered.
void ScanBody(FileHandle file, uint64_t length, uint8_t* workBuffer, AnalysisResult& result) {
  if (!FileRewind(file)) return;
  uint32_t total = length < kStatisticsLimit ? static_cast<uint32_t>(length) : kStatisticsLimit;
  CharClass charClass = CharClass::None;
  while (total != 0) {
    const uint32_t chunk = std::min(total, kChunkSize);
    const uint32_t delivered = FileRead(file, workBuffer, chunk);
    if (delivered == 0) return;
    CountText(workBuffer, delivered, result.counts, charClass);
    total -= delivered;
  }
}

}  // namespace

bool AnalyseFile(const char* path, uint8_t* workBuffer, AnalysisResult& result, FileError* error) {
  const size_t pathLength = strnlen(path, kTextCapacity);
  if (pathLength >= kTextCapacity) return Fail(FileError::PathTooLong, error);

  FileHandle file;
  FileError openError = FileError::None;
  if (!FileOpenExclusive(path, file, openError)) return Fail(openError, error);
  uint64_t length{};
  if (!FileLength(file, length)) {
    FileClose(file);
    return Fail(FileError::Other, error);
  }

  memcpy(result.path.data(), path, pathLength);
  result.path[pathLength] = '\0';
  result.size = length;
  result.contentRead = false;
  result.previewLength = 0;
  result.preview[0] = '\0';
  result.typeDescription = kSignatureTable[kSignatureRowCount].description;  // "Unknown"
  result.counts = TextCounts{};

  if (length != 0) {
    const auto asked = static_cast<uint32_t>(std::min<uint64_t>(length, kHeadLimit));
    const uint32_t n = FileRead(file, workBuffer, asked);
    // Terminate the head so nothing left by an earlier file is ever read as
    // part of this one.
    memset(workBuffer + n, 0, 4);
    if (n != 0) {
      const void* zero = memchr(workBuffer, 0, n);
      const uint32_t previewLength =
          zero == nullptr ? n : static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - workBuffer);
      memcpy(result.preview.data(), workBuffer, previewLength);
      result.preview[previewLength] = '\0';
      result.previewLength = previewLength;
      result.contentRead = true;
      result.typeDescription = IdentifyType(workBuffer, n);
      ScanBody(file, length, workBuffer, result);
    }
  }

  FileClose(file);
  result.derived = DeriveFigures(result.counts);
  return true;
}

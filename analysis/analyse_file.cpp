#include "analyse_file.h"

#include <algorithm>
#include <cstring>

#include "signatures.h"

namespace {

bool Fail(FileError reason, FileError* error) {
  if (error != nullptr) *error = reason;
  return false;
}

// Counts the first total bytes chunk by chunk, the class carried across.
// False when a read delivers less than asked: the file is shorter than it was.
bool ScanBody(FileHandle file, uint32_t total, uint8_t* workBuffer, TextCounts& counts) {
  CharClass charClass = CharClass::None;
  while (total != 0) {
    const uint32_t chunk = std::min(total, kChunkSize);
    if (FileRead(file, workBuffer, chunk) != chunk) return false;
    CountText(workBuffer, chunk, counts, charClass);
    total -= chunk;
  }
  return true;
}

}  // namespace

bool AnalyseOpenFile(FileHandle file, uint8_t* workBuffer, AnalysisResult& result, FileError* error) {
  FileVersion before;
  if (!FileQuery(file, before)) {
    FileClose(file);
    return Fail(FileError::Other, error);
  }

  // The body first and the head last: a file that changes while it is read
  // is found out before anything of it reaches the result.
  TextCounts counts;
  const auto headLength = static_cast<uint32_t>(std::min<uint64_t>(before.length, kHeadLimit));
  bool intact = true;
  if (before.length != 0) {
    const auto total = static_cast<uint32_t>(std::min<uint64_t>(before.length, kStatisticsLimit));
    intact = ScanBody(file, total, workBuffer, counts) && FileRewind(file) &&
             FileRead(file, workBuffer, headLength) == headLength;
    // Terminate the head so nothing left by an earlier file is ever read as
    // part of this one.
    memset(workBuffer + headLength, 0, 4);
  }
  FileVersion after;
  intact = intact && FileQuery(file, after) && after.length == before.length && after.changed == before.changed &&
           after.changedNanoseconds == before.changedNanoseconds;
  FileClose(file);
  if (!intact) return Fail(FileError::Changed, error);

  result.path[0] = '\0';
  result.size = before.length;
  result.contentRead = headLength != 0;
  const void* zero = memchr(workBuffer, 0, headLength);
  const auto previewLength =
      zero == nullptr ? headLength : static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - workBuffer);
  memcpy(result.preview.data(), workBuffer, previewLength);
  result.preview[previewLength] = '\0';
  result.previewLength = previewLength;
  result.typeDescription = headLength != 0 ? IdentifyType(workBuffer, headLength)
                                           : kSignatureTable[kSignatureRowCount].description;  // "Unknown"
  result.counts = counts;
  result.derived = DeriveFigures(counts);
  return true;
}

bool AnalyseFile(const char* path, uint8_t* workBuffer, AnalysisResult& result, FileError* error) {
  const size_t pathLength = strnlen(path, kTextCapacity);
  if (pathLength >= kTextCapacity) return Fail(FileError::PathTooLong, error);
  FileHandle file;
  FileError openError = FileError::None;
  if (!FileOpenExclusive(path, file, openError)) return Fail(openError, error);
  if (!AnalyseOpenFile(file, workBuffer, result, error)) return false;
  memcpy(result.path.data(), path, pathLength + 1);
  return true;
}

#ifdef _WIN32
bool AnalyseFileWide(const wchar_t* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error) {
  TextBuffer ansi{};
  if (AnsiFromWide(name, ansi)) return AnalyseFile(ansi.data(), workBuffer, result, error);
  FileHandle file;
  FileError openError = FileError::None;
  if (!FileOpenExclusiveWide(name, file, openError)) return Fail(openError, error);
  return AnalyseOpenFile(file, workBuffer, result, error);
}
#endif

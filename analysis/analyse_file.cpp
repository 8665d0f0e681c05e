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

bool AnalyseFile(const PathChar* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error) {
  FileHandle file;
  FileError openError = FileError::None;
  if (!FileOpenExclusive(name, file, openError)) return Fail(openError, error);
  FileStamp before;
  if (!ReadFileStamp(file, before)) {
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
    // Four zero bytes after the head, as the work buffer has always held
    // them; no reader needs them, each stops at the head's length.
    memset(workBuffer + headLength, 0, 4);
  }
  FileStamp after;
  intact = intact && ReadFileStamp(file, after) && after.length == before.length && after.changed == before.changed &&
           after.changedNanoseconds == before.changedNanoseconds;
  FileClose(file);
  if (!intact) return Fail(FileError::Changed, error);

  result.size = before.length;
  result.contentRead = headLength != 0;
  result.countedBytes = static_cast<uint32_t>(std::min<uint64_t>(before.length, kStatisticsLimit));
  const PreviewSpan span = FindPreview(workBuffer, headLength, before.length > headLength);
  memcpy(result.preview.data(), workBuffer + span.start, span.length);
  result.preview[span.length] = '\0';
  result.previewLength = span.length;
  result.previewEncoding = span.encoding;
  result.previewCut = span.cut;
  result.typeDescription = IdentifyType(workBuffer, headLength);
  result.counts = counts;
  result.derived = DeriveFigures(counts);
  return true;
}

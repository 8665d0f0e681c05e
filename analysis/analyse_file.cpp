#include "analyse_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "signatures.h"

namespace {

constexpr size_t kCacheLine = 64;
static_assert(std::has_single_bit(kCacheLine), "an alignment is a power of two");

// What went wrong, and the system's code for a failed read.
struct Failure {
  FileError reason = FileError::None;
  uint32_t systemError = 0;
};

bool Fail(Failure failure, FileError* error, uint32_t* systemError) {
  if (error != nullptr) *error = failure.reason;
  if (systemError != nullptr) *systemError = failure.systemError;
  return false;
}

// Reads byteCount bytes: a read that fails is told apart from one that comes
// up short, which means the file is shorter than it was.
bool ReadWhole(FileHandle file, uint8_t* buffer, uint32_t byteCount, Failure& failure) {
  uint32_t delivered;  // always set by FileRead
  if (!FileRead(file, buffer, byteCount, delivered, failure.systemError)) {
    failure.reason = FileError::ReadFailed;
  } else if (delivered != byteCount) {
    failure.reason = FileError::Changed;
  }
  return failure.reason == FileError::None;
}

// Counts the first total bytes piece by piece, the class carried across,
// until a read fails or comes up short, as failure then says.
void ScanBody(FileHandle file, uint32_t total, uint8_t* workBuffer, TextCounts& counts, Failure& failure) {
  // Each piece lands at the start of a cache line: the system's copy into a
  // buffer 16 bytes past one took a third longer. The buffer has room.
  void* start = workBuffer;
  size_t room = kWorkBufferSize;
  auto* const at = static_cast<uint8_t*>(std::align(kCacheLine, kReadPiece, start, room));
  CharClass charClass = CharClass::None;
  while (total != 0) {
    const uint32_t piece = std::min(total, kReadPiece);
    if (!ReadWhole(file, at, piece, failure)) return;
    CountText(at, piece, counts, charClass);
    total -= piece;
  }
}

}  // namespace

bool AnalyseFile(const PathChar* name, uint8_t* workBuffer, AnalysisResult& result, FileError* error,
                 uint32_t* systemError) {
  FileHandle file;
  Failure failure;
  if (!FileOpenExclusive(name, file, failure.reason)) return Fail(failure, error, systemError);
  FileStamp before;
  if (!ReadFileStamp(file, before)) {
    FileClose(file);
    return Fail({FileError::Other}, error, systemError);
  }

  // The body first and the head last: a file that changes while it is read
  // is found out before anything of it reaches the result.
  TextCounts counts;
  const auto headLength = static_cast<uint32_t>(std::min<uint64_t>(before.length, kHeadLimit));
  bool intact = true;
  if (before.length != 0) {
    const auto total = static_cast<uint32_t>(std::min<uint64_t>(before.length, kStatisticsLimit));
    ScanBody(file, total, workBuffer, counts, failure);
    intact = failure.reason == FileError::None && FileRewind(file) && ReadWhole(file, workBuffer, headLength, failure);
    // Four zero bytes after the head, as the work buffer has always held
    // them; no reader needs them, each stops at the head's length.
    memset(workBuffer + headLength, 0, 4);
  }
  FileStamp after;
  intact = intact && ReadFileStamp(file, after) && after.length == before.length && after.changed == before.changed &&
           after.changedNanoseconds == before.changedNanoseconds;
  FileClose(file);
  // A read that failed says so; anything else is a file that changed.
  if (!intact && failure.reason != FileError::ReadFailed) failure = {FileError::Changed};
  if (!intact) return Fail(failure, error, systemError);

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

// Any bytes as a file's head and body: every scanner in any chunking
// (fuzz_scanners), and the whole analysis of a file of those bytes, the
// signature table with it (fuzz_analysis). Each target is built from this
// file with QUORVANE_FUZZ_TARGET naming its function.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "analyse_file.h"
#include "fuzz.h"
#include "signatures.h"

namespace fuzz {

// Counts data on the active scanner in chunks of at most most bytes, each
// as long as the byte it starts at says (0: in one pass), from start.
bool CountsAgree(const uint8_t* data, size_t size, size_t most, CharClass start, const TextCounts& whole,
                 CharClass wholeClass) {
  TextCounts counts;
  CharClass charClass = start;
  for (size_t at = 0; at < size;) {
    const size_t want = most == 0 ? size : data[at] % most + 1u;
    const size_t take = want < size - at ? want : size - at;
    CountText(data + at, take, counts, charClass);
    at += take;
  }
  return memcmp(&whole, &counts, sizeof whole) == 0 && wholeClass == charClass;
}

// Counting on any scanner, in one pass or in any chunking and from any class,
// must equal one portable pass: the class carries across. Each input is
// chunked on one scanner, named by its first byte, so that inputs stay quick.
void scanners(const uint8_t* data, size_t size) {
  const auto start = static_cast<CharClass>(size != 0 ? data[size - 1] % 6 : 0);
  TextCounts whole;
  CharClass wholeClass = start;
  SelectScanner(Scanner::Portable);
  CountText(data, size, whole, wholeClass);
  const int chunked = size != 0 ? data[0] % kScannerCount : 0;
  for (int scanner = 0; scanner < kScannerCount; ++scanner) {
    if (!SelectScanner(static_cast<Scanner>(scanner))) continue;
    Check(CountsAgree(data, size, 0, start, whole, wholeClass));
    Check(scanner != chunked || CountsAgree(data, size, 97, start, whole, wholeClass));
  }
  size_t printable = 0;
  for (size_t i = 0; i < size; ++i) printable += data[i] >= 0x20 && data[i] <= 0x7E;
  Check(DeriveFigures(whole).characters == printable);
}

// The bytes as a whole file, through the real file layer, with one work
// buffer that earlier inputs have left dirty: the result is this file's own.
// One file, in memory-backed storage where there is some, rewritten in place
// for each input: making a new file each time would take most of the time.
void analysis(const uint8_t* data, size_t size) {
  static auto* buffer = static_cast<uint8_t*>(malloc(kWorkBufferSize));
  static auto* result = new AnalysisResult();
  static const std::string path =
      (access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "") + ("quorvane_fuzz_input_" + std::to_string(getpid()));
  static const int file = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  static const int removal = atexit([] { unlink(path.c_str()); });
  Check(file >= 0 && removal == 0 && ftruncate(file, static_cast<off_t>(size)) == 0 &&
        pwrite(file, data, size, 0) == static_cast<ssize_t>(size));
  const size_t headLength = size < kHeadLimit ? size : kHeadLimit;
  memset(buffer, 'q', headLength + 8);  // stale text where the head ends

  Check(AnalyseFile(path.c_str(), buffer, *result));
  Check(result->size == size && result->contentRead == (size != 0) &&
        result->countedBytes == (size < kStatisticsLimit ? size : kStatisticsLimit));
  // The preview is the head's bytes past a mark, up to its first zero byte
  // (in UTF-16 and UTF-32, zero unit), and holds none.
  const PreviewEncoding encoding = result->previewEncoding;
  const size_t unit = encoding == PreviewEncoding::Utf32Le || encoding == PreviewEncoding::Utf32Be   ? 4
                      : encoding == PreviewEncoding::Utf16Le || encoding == PreviewEncoding::Utf16Be ? 2
                                                                                                     : 1;
  const size_t start = unit > 1 ? unit : headLength >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  const size_t length = result->previewLength;
  Check(start + length <= headLength && memcmp(result->preview.data(), data + start, length) == 0 &&
        result->preview[length] == '\0' && (encoding == PreviewEncoding::Utf8 || start == 0 || unit > 1));
  for (size_t i = 0; i < length; i += unit) Check(memcmp(data + start + i, "\0\0\0\0", unit) != 0);
  const bool toZero = start + length == headLength || data[start + length] == 0;
  Check(unit > 1 ? length % unit == 0 : toZero || (encoding == PreviewEncoding::Utf8 && size > headLength));
  // An empty file reads nothing and so leaves the buffer as it was.
  Check(memcmp(buffer + headLength, size != 0 ? "\0\0\0\0" : "qqqq", 4) == 0);
  // The input is an allocation of its own: a read past a head of all of it is caught.
  Check(strcmp(result->typeDescription, IdentifyType(data, headLength)) == 0);
  TextCounts counts;
  CharClass charClass = CharClass::None;
  CountText(data, size < kStatisticsLimit ? size : kStatisticsLimit, counts, charClass);
  Check(memcmp(&counts, &result->counts, sizeof counts) == 0);
}

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::QUORVANE_FUZZ_TARGET(data, size);
  return 0;
}

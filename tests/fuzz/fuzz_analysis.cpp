// Any bytes as a file's head and body: the signature table, every scanner in
// any chunking, the writers that take file bytes to JSON and terminals, and
// the whole analysis of a file of those bytes.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "analyse_file.h"
#include "fuzz.h"
#include "signatures.h"
#include "text_encoding.h"

namespace {

// Counting on any scanner, in one pass or in any chunking and from any class,
// must equal one portable pass: the class carries across.
void CheckCounts(const uint8_t* data, size_t size) {
  const auto start = static_cast<CharClass>(size != 0 ? data[size - 1] % 6 : 0);
  TextCounts whole;
  CharClass wholeClass = start;
  SelectScanner(Scanner::Portable);
  CountText(data, size, whole, wholeClass);
  for (int scanner = 0; scanner < kScannerCount; ++scanner) {
    if (!SelectScanner(static_cast<Scanner>(scanner))) continue;
    for (const size_t most : {0, 97}) {  // 0: in one pass
      TextCounts counts;
      CharClass charClass = start;
      for (size_t at = 0; at < size;) {
        const size_t want = most == 0 ? size : data[at] % most + 1u;
        const size_t take = want < size - at ? want : size - at;
        CountText(data + at, take, counts, charClass);
        at += take;
      }
      Check(memcmp(&whole, &counts, sizeof whole) == 0 && wholeClass == charClass);
    }
  }
  size_t printable = 0;
  for (size_t i = 0; i < size; ++i) printable += data[i] >= 0x20 && data[i] <= 0x7E;
  Check(DeriveFigures(whole).characters == printable);
}

// What a writer gives is valid UTF-8, and what it must never give: in JSON
// (kept null) a raw C0 control or a bare quote; elsewhere any control, C1 and
// DEL too, but those kept.
void CheckWritten(const uint8_t* data, size_t size, void (*write)(FILE*, const char*, size_t), const char* kept) {
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  write(out, reinterpret_cast<const char*>(data), size);
  fclose(out);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  for (size_t i = 0, step = 1; i < length; i += step) {
    step = Utf8SequenceLength(bytes + i, length - i);
    const bool control = bytes[i] < 0x20 || bytes[i] == 0x7F || (bytes[i] == 0xC2 && bytes[i + 1] < 0xA0);
    Check(step != 0 && (kept != nullptr || (bytes[i] >= 0x20 && bytes[i] != '"')) &&
          (kept == nullptr || !control || (bytes[i] != 0 && strchr(kept, bytes[i]) != nullptr)));
    step += kept == nullptr && bytes[i] == '\\';  // the escaped character
  }
  free(text);
}

// The bytes as a whole file, through the real file layer, with one work
// buffer that earlier inputs have left dirty: the result is this file's own.
void CheckAnalysis(const uint8_t* data, size_t size) {
  static auto* buffer = static_cast<uint8_t*>(malloc(kWorkBufferSize));
  static auto* result = new AnalysisResult();
  static const std::string path = "fuzz_input_" + std::to_string(getpid());
  static const int removal = atexit([] { unlink(path.c_str()); });
  FILE* file = fopen(path.c_str(), "wb");
  Check(removal == 0 && file != nullptr && fwrite(data, 1, size, file) == size && fclose(file) == 0);
  const size_t headLength = size < kHeadLimit ? size : kHeadLimit;
  memset(buffer, 'q', headLength + 8);  // stale text where the head ends

  Check(AnalyseFile(path.c_str(), buffer, *result));
  const void* zero = memchr(data, 0, headLength);
  const size_t preview = zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : headLength;
  Check(path == result->path.data() && result->size == size && result->contentRead == (size != 0));
  Check(result->previewLength == preview && memcmp(result->preview.data(), data, preview) == 0 &&
        result->preview[preview] == '\0');
  // An empty file reads nothing and so leaves the buffer as it was.
  Check(memcmp(buffer + headLength, size != 0 ? "\0\0\0\0" : "qqqq", 4) == 0);
  // The input is an allocation of its own: a read past a head of all of it is caught.
  Check(strcmp(result->typeDescription, IdentifyType(data, headLength)) == 0);
  TextCounts counts;
  CharClass charClass = CharClass::None;
  CountText(data, size < kStatisticsLimit ? size : kStatisticsLimit, counts, charClass);
  Check(memcmp(&counts, &result->counts, sizeof counts) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckCounts(data, size);
  CheckWritten(data, size, WriteJsonWindows1252, nullptr);
  CheckWritten(data, size, WriteJsonUtf8, nullptr);
  CheckWritten(data, size, WriteConsoleWindows1252, "\n\t");
  CheckWritten(data, size, WriteConsoleUtf8, "");  // names
  CheckAnalysis(data, size);
  return 0;
}

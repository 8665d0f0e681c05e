// Any bytes as a file's head and body: the signature table, every scanner in
// any chunking, and the writers that take file bytes to JSON and terminals.
#include <cstdio>
#include <cstring>

#include "analyse_file.h"
#include "fuzz.h"
#include "signatures.h"
#include "text_encoding.h"

namespace {

// Counting on any scanner, in one pass or in any chunking, must equal one
// portable pass: the class carries across.
void CheckCounts(const uint8_t* data, size_t size) {
  TextCounts whole;
  CharClass wholeClass = CharClass::None;
  SelectScanPath(ScanPath::Portable);
  CountText(data, size, whole, wholeClass);
  for (int path = 0; path < kScanPathCount; ++path) {
    if (!SelectScanPath(static_cast<ScanPath>(path))) continue;
    for (const size_t most : {0, 97}) {  // 0: in one pass
      TextCounts counts;
      CharClass charClass = CharClass::None;
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

// What a writer gives is valid UTF-8, and what it must never give: in JSON a
// raw control byte or a bare quote, on a terminal any control but a line feed
// or tab (and, for names, not even those).
enum class Output { Json, Terminal, Name };

void CheckWritten(const uint8_t* data, size_t size, void (*write)(FILE*, const char*, size_t), Output kind) {
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  write(out, reinterpret_cast<const char*>(data), size);
  fclose(out);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  for (size_t i = 0, step = 1; i < length; i += step) {
    step = Utf8SequenceLength(bytes + i, length - i);
    Check(step != 0);
    if (kind == Output::Json) {
      Check(bytes[i] >= 0x20 && bytes[i] != '"');
      step += bytes[i] == '\\';  // the escaped character
    } else {
      const bool c1 = bytes[i] == 0xC2 && bytes[i + 1] < 0xA0;
      Check(!c1 && bytes[i] != 0x7F &&
            (bytes[i] >= 0x20 || (kind == Output::Terminal && (bytes[i] == '\n' || bytes[i] == '\t'))));
    }
  }
  free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The head alone in its own allocation: a read past it is caught.
  const size_t headLength = size < kHeadLimit ? size : kHeadLimit;
  auto* head = static_cast<uint8_t*>(malloc(headLength + 1));
  memcpy(head, data, headLength);
  IdentifyType(head, headLength);
  free(head);
  CheckCounts(data, size);
  CheckWritten(data, size, WriteJsonWindows1252, Output::Json);
  CheckWritten(data, size, WriteJsonUtf8, Output::Json);
  CheckWritten(data, size, WriteConsoleWindows1252, Output::Terminal);
  CheckWritten(data, size, WriteConsoleUtf8, Output::Name);
  return 0;
}

// libFuzzer target over the code that takes a file's bytes: the signature
// table, the statistics scanner and the JSON writers. A broken invariant aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "analyse_file.h"
#include "signatures.h"
#include "text_encoding.h"
#include "text_stats.h"

namespace {

void Check(bool holds) {
  if (!holds) abort();
}

// Counting on any scanner and in any chunking must equal one portable pass:
// the class carries across.
void CheckCounts(const uint8_t* data, size_t size) {
  TextCounts whole;
  CharClass wholeClass = CharClass::None;
  SelectScanPath(ScanPath::Portable);
  CountText(data, size, whole, wholeClass);
  for (int path = 0; path < kScanPathCount; ++path) {
    if (!SelectScanPath(static_cast<ScanPath>(path))) continue;
    TextCounts chunked;
    CharClass chunkedClass = CharClass::None;
    for (size_t at = 0; at < size;) {
      const size_t want = data[at] % 97 + 1u;
      const size_t take = want < size - at ? want : size - at;
      CountText(data + at, take, chunked, chunkedClass);
      at += take;
    }
    Check(memcmp(&whole, &chunked, sizeof whole) == 0 && wholeClass == chunkedClass);
  }
  size_t printable = 0;
  for (size_t i = 0; i < size; ++i) printable += data[i] >= 0x20 && data[i] <= 0x7E;
  Check(DeriveFigures(whole).characters == printable);
}

// What a JSON string may hold: no raw control byte, no bare quote.
void CheckJson(const uint8_t* data, size_t size, void (*write)(FILE*, const char*, size_t)) {
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  write(out, reinterpret_cast<const char*>(data), size);
  fclose(out);
  for (size_t i = 0; i < length; ++i) {
    Check(static_cast<uint8_t>(text[i]) >= 0x20 && text[i] != '"');
    if (text[i] == '\\') ++i;
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
  CheckJson(data, size, WriteJsonWindows1252);
  CheckJson(data, size, WriteJsonUtf8OrWindows1252);
  return 0;
}

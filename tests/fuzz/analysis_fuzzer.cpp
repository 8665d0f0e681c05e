// Fuzz harness over the parts of the analysis that take arbitrary bytes: the
// signature table, the statistics scanner and the JSON text writers. Each input
// is checked against invariants that hold for any bytes; a broken one aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "analyse_file.h"
#include "signatures.h"
#include "text_encoding.h"
#include "text_stats.h"

#define FUZZ_CHECK(condition)                                                           \
  do {                                                                                  \
    if (!(condition)) {                                                                 \
      fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      abort();                                                                          \
    }                                                                                   \
  } while (0)

namespace {

// The matching rule written out on its own, to compare the table walk with.
bool RowMatches(const SignatureRow& row, const uint8_t* head, size_t byteCount) {
  if (static_cast<uint64_t>(row.offset) + row.length > byteCount) return false;
  for (uint32_t i = 0; i < row.length; ++i) {
    const uint8_t b = head[row.offset + i];
    const uint8_t folded = (b >= 'a' && b <= 'z') ? static_cast<uint8_t>(b - 'a' + 'A') : b;
    if (b == 0 || folded != static_cast<uint8_t>(row.signature[i])) return false;
  }
  return true;
}

void CheckIdentify(const uint8_t* data, size_t size) {
  const size_t n = size < kHeadLimit ? size : kHeadLimit;
  const char* type = IdentifyType(data, n);
  size_t expected = kSignatureRowCount;
  for (size_t i = 0; i < kSignatureRowCount; ++i) {
    if (RowMatches(kSignatureTable[i], data, n)) {
      expected = i;
      break;
    }
  }
  FUZZ_CHECK(type == kSignatureTable[expected].description);

  // A shorter head alone in memory: what lies past its end must not count.
  const size_t shorter = size % 24 < n ? size % 24 : n;
  uint8_t* alone = static_cast<uint8_t*>(malloc(shorter == 0 ? 1 : shorter));
  FUZZ_CHECK(alone != nullptr);
  if (shorter != 0) memcpy(alone, data, shorter);
  FUZZ_CHECK(IdentifyType(alone, shorter) == IdentifyType(data, shorter));
  free(alone);
}

size_t CountWhere(const uint8_t* data, size_t size, bool (*pick)(uint8_t)) {
  size_t count = 0;
  for (size_t i = 0; i < size; ++i) count += pick(data[i]) ? 1 : 0;
  return count;
}

bool SameCounts(const TextCounts& a, const TextCounts& b) {
  return a.letters == b.letters && a.words == b.words && a.lines == b.lines && a.sentences == b.sentences &&
         a.digits == b.digits && a.spaces == b.spaces && a.symbols == b.symbols;
}

void CheckCounts(const uint8_t* data, size_t size) {
  TextCounts whole;
  CharClass wholeClass = CharClass::None;
  CountText(data, size, whole, wholeClass);

  // Chunk lengths drawn from the input itself, so a failing input replays.
  TextCounts chunked;
  CharClass chunkedClass = CharClass::None;
  uint32_t state = static_cast<uint32_t>(size) * 2654435761u + (size != 0 ? data[0] : 0);
  for (size_t at = 0; at < size;) {
    state = state * 1103515245u + 12345u;
    const size_t length = (state >> 16) % 64;
    const size_t take = length < size - at ? length : size - at;
    CountText(data + at, take, chunked, chunkedClass);
    at += take;
  }
  FUZZ_CHECK(SameCounts(whole, chunked));
  FUZZ_CHECK(wholeClass == chunkedClass);

  const DerivedFigures derived = DeriveFigures(whole);
  const size_t printable = CountWhere(data, size, [](uint8_t b) { return b >= 0x20 && b <= 0x7E; });
  FUZZ_CHECK(derived.characters == printable);
  FUZZ_CHECK(derived.characters == whole.letters + whole.digits + whole.spaces + whole.symbols);
  FUZZ_CHECK(whole.lines == 1 + CountWhere(data, size, [](uint8_t b) { return b == '\n'; }));
  FUZZ_CHECK(whole.spaces == CountWhere(data, size, [](uint8_t b) { return b == ' '; }));
  FUZZ_CHECK(whole.digits == CountWhere(data, size, [](uint8_t b) { return b >= '0' && b <= '9'; }));
  FUZZ_CHECK(whole.words <= 1 + whole.spaces && whole.words <= 1 + whole.letters);
  FUZZ_CHECK(whole.sentences <= CountWhere(data, size, [](uint8_t b) { return b == '.'; }));
  FUZZ_CHECK(derived.averageWord == whole.letters / whole.words);
  FUZZ_CHECK(whole.sentences == 0 ? derived.averageSentence == 0
                                  : derived.averageSentence == whole.words / whole.sentences);
}

// Strict UTF-8 with nothing a JSON string body forbids: no raw control
// character, no bare quote, only the defined escapes.
bool IsJsonStringBody(const uint8_t* text, size_t size) {
  static const uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  for (size_t i = 0; i < size;) {
    const uint8_t lead = text[i];
    if (lead < 0x20 || lead == '"') return false;
    if (lead == '\\') {
      if (i + 1 >= size) return false;
      const uint8_t e = text[i + 1];
      if (e == 'u') {
        if (i + 6 > size) return false;
        for (size_t k = 2; k < 6; ++k) {
          if (strchr("0123456789abcdefABCDEF", text[i + k]) == nullptr || text[i + k] == 0) return false;
        }
        i += 6;
      } else if (e != 0 && strchr("\"\\/bfnrt", e) != nullptr) {
        i += 2;
      } else {
        return false;
      }
      continue;
    }
    size_t length = 1;
    uint32_t codePoint = lead;
    if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, codePoint = lead & 0x07u;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, codePoint = lead & 0x1Fu;
    } else if (lead >= 0x80) {
      return false;
    }
    if (length > size - i) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((text[i + k] & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (text[i + k] & 0x3Fu);
    }
    if (codePoint < kMinimum[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

void CheckJson(const uint8_t* data, size_t size, void (*write)(FILE*, const char*, size_t)) {
  char* text = nullptr;
  size_t length = 0;
  FILE* out = open_memstream(&text, &length);
  FUZZ_CHECK(out != nullptr);
  write(out, reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(fclose(out) == 0);
  FUZZ_CHECK(IsJsonStringBody(reinterpret_cast<const uint8_t*>(text), length));
  free(text);
}

void CheckUtf8Lengths(const uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const size_t length = Utf8SequenceLength(data + i, size - i);
    FUZZ_CHECK(length <= 4 && length <= size - i);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckIdentify(data, size);
  CheckCounts(data, size);
  CheckJson(data, size, WriteJsonWindows1252);
  CheckJson(data, size, WriteJsonUtf8OrWindows1252);
  CheckUtf8Lengths(data, size);
  return 0;
}

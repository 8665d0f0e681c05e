#include "preview_text.h"

#include <cstring>

namespace {

// One step through UTF-8: a character, or the longest start of a sequence
// that is not valid (at least one byte), told apart from a valid start that
// the bytes end in.
struct Utf8Step {
  uint32_t character;
  uint32_t length;
  bool valid;
  bool cutShort;
};

// Inlined into its loops: called once a character, a call cost as much as the step.
[[gnu::always_inline]] inline Utf8Step DecodeUtf8(const uint8_t* bytes, size_t count) {
  const uint8_t lead = bytes[0];
  if (lead < 0x80) return {lead, 1, true, false};
  uint32_t follow, character;       // set by every branch that goes on
  uint8_t low = 0x80, high = 0xBF;  // the second byte's range: no overlong form, surrogate or value past Unicode
  if (lead >= 0xC2 && lead <= 0xDF) {
    follow = 1, character = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    follow = 2, character = lead & 0x0Fu;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    follow = 3, character = lead & 0x07u;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return {kReplacementCharacter, 1, false, false};
  }
  for (uint32_t i = 1; i <= follow; ++i) {
    if (i == count) return {kReplacementCharacter, i, false, true};
    const uint8_t next = bytes[i];
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return {kReplacementCharacter, i, false, false};
    character = (character << 6) | (next & 0x3Fu);
  }
  return {character, follow + 1, true, false};
}

bool IsUtf32(PreviewEncoding encoding) {
  return encoding == PreviewEncoding::Utf32Le || encoding == PreviewEncoding::Utf32Be;
}

uint32_t UnitSize(PreviewEncoding encoding) { return IsUtf32(encoding) ? 4 : 2; }

uint32_t Unit(PreviewEncoding encoding, const uint8_t* bytes) {
  switch (encoding) {
    case PreviewEncoding::Utf16Le: return bytes[0] | bytes[1] << 8;
    case PreviewEncoding::Utf32Le: return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24;
    case PreviewEncoding::Utf32Be: return uint32_t{bytes[0]} << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
    default: return bytes[0] << 8 | bytes[1];
  }
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whole units after the mark, itself one unit, up to the first zero unit.
PreviewSpan UnitSpan(PreviewEncoding encoding, const uint8_t* head, uint32_t byteCount, bool headCut) {
  const uint32_t size = UnitSize(encoding);
  uint32_t end = size;
  while (end + size <= byteCount && Unit(encoding, head + end) != 0) end += size;
  const bool cut = headCut && end + size > byteCount;
  // (With no unit, the one before is the mark, never a surrogate.)
  if (cut && size == 2 && IsHighSurrogate(Unit(encoding, head + end - 2))) end -= 2;
  return {encoding, size, end - size, cut};
}

// Where the run of ASCII at bytes[at] ends (at most at end): most text is
// ASCII, so it is passed eight bytes at a time.
uint32_t PastAscii(const uint8_t* bytes, uint32_t at, uint32_t end) {
  for (uint64_t eight = 0; end - at >= 8; at += 8) {
    memcpy(&eight, bytes + at, 8);
    if ((eight & 0x8080'8080'8080'8080u) != 0) break;
  }
  while (at < end && bytes[at] < 0x80) ++at;
  return at;
}

// The length of UTF-8 text without a last sequence its end cuts short.
uint32_t WithoutCutSequence(const uint8_t* bytes, uint32_t length) {
  for (uint32_t back = 1; back <= 3 && back <= length; ++back) {
    const uint8_t lead = bytes[length - back];
    if (lead < 0x80) break;
    if (lead >= 0xC0) return DecodeUtf8(bytes + length - back, back).cutShort ? length - back : length;
  }
  return length;
}

}  // namespace

PreviewSpan FindPreview(const uint8_t* head, uint32_t byteCount, bool headCut) {
  const auto marked = [&](const char* mark, uint32_t length) {
    return byteCount >= length && memcmp(head, mark, length) == 0;
  };
  // UTF-32's little-endian mark starts as UTF-16's does.
  if (marked("\xFF\xFE\0\0", 4)) return UnitSpan(PreviewEncoding::Utf32Le, head, byteCount, headCut);
  if (marked("\0\0\xFE\xFF", 4)) return UnitSpan(PreviewEncoding::Utf32Be, head, byteCount, headCut);
  if (marked("\xFF\xFE", 2)) return UnitSpan(PreviewEncoding::Utf16Le, head, byteCount, headCut);
  if (marked("\xFE\xFF", 2)) return UnitSpan(PreviewEncoding::Utf16Be, head, byteCount, headCut);
  const auto* zero = static_cast<const uint8_t*>(memchr(head, 0, byteCount));
  const uint32_t text = zero != nullptr ? static_cast<uint32_t>(zero - head) : byteCount;  // up to the first zero byte
  const bool cut = headCut && text == byteCount;
  if (text >= 3 && marked("\xEF\xBB\xBF", 3)) {
    return {PreviewEncoding::Utf8, 3, (cut ? WithoutCutSequence(head + 3, text - 3) : text - 3), cut};
  }
  // Proven UTF-8: valid throughout, with a character past ASCII.
  bool beyondAscii = false;
  for (uint32_t at = 0; at < text;) {
    at = PastAscii(head, at, text);
    if (at == text) break;
    const Utf8Step step = DecodeUtf8(head + at, text - at);
    if (!step.valid) {
      return step.cutShort && cut && beyondAscii ? PreviewSpan{PreviewEncoding::Utf8, 0, at, cut}
                                                 : PreviewSpan{PreviewEncoding::Ansi, 0, text, cut};
    }
    beyondAscii = true;  // past the run of ASCII, each valid step is a character beyond it
    at += step.length;
  }
  return {beyondAscii ? PreviewEncoding::Utf8 : PreviewEncoding::Ansi, 0, text, cut};
}

uint32_t Utf8SequenceLength(const uint8_t* bytes, size_t byteCount) {
  const Utf8Step step = DecodeUtf8(bytes, byteCount);
  return step.valid ? step.length : 0;
}

uint32_t NextPreviewCharacter(PreviewEncoding encoding, const uint8_t* bytes, uint32_t length, uint32_t& at) {
  if (encoding == PreviewEncoding::Ansi || encoding == PreviewEncoding::Utf8) {
    const Utf8Step step = DecodeUtf8(bytes + at, length - at);
    at += step.length;
    return step.character;
  }
  const uint32_t size = UnitSize(encoding);
  if (length - at < size) {  // a last unit's part
    at = length;
    return kReplacementCharacter;
  }
  const uint32_t unit = Unit(encoding, bytes + at);
  at += size;
  if (IsLowSurrogate(unit) || unit > 0x10FFFF) return kReplacementCharacter;
  if (!IsHighSurrogate(unit)) return unit;
  if (size == 4 || length - at < 2 || !IsLowSurrogate(Unit(encoding, bytes + at))) return kReplacementCharacter;
  const uint32_t low = Unit(encoding, bytes + at);
  at += 2;
  return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

#ifndef _WIN32
uint32_t AnsiCodePage() { return 1252; }
#endif

#include "preview_text.h"

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

Utf8Step DecodeUtf8(const uint8_t* bytes, uint32_t count) {
  const uint8_t lead = bytes[0];
  if (lead < 0x80) return {lead, 1, true, false};
  uint32_t follow, character;  // set by every branch that goes on
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

uint32_t Unit(PreviewEncoding encoding, const uint8_t* bytes) {
  return encoding == PreviewEncoding::Utf16Le ? bytes[0] | bytes[1] << 8 : bytes[0] << 8 | bytes[1];
}

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whole units after the mark, up to the first zero unit.
PreviewSpan Utf16Span(PreviewEncoding encoding, const uint8_t* head, uint32_t byteCount) {
  uint32_t end = 2;
  while (end + 2 <= byteCount && Unit(encoding, head + end) != 0) end += 2;
  return {encoding, 2, end - 2};
}

}  // namespace

PreviewSpan FindPreview(const uint8_t* head, uint32_t byteCount, bool headCut) {
  if (byteCount >= 2 && head[0] == 0xFF && head[1] == 0xFE) return Utf16Span(PreviewEncoding::Utf16Le, head, byteCount);
  if (byteCount >= 2 && head[0] == 0xFE && head[1] == 0xFF) return Utf16Span(PreviewEncoding::Utf16Be, head, byteCount);
  uint32_t text = 0;  // up to the first zero byte
  while (text < byteCount && head[text] != 0) ++text;
  if (text >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) return {PreviewEncoding::Utf8, 3, text - 3};
  // Proven UTF-8: valid throughout, with a character past ASCII.
  bool beyondAscii = false;
  for (uint32_t at = 0; at < text;) {
    const Utf8Step step = DecodeUtf8(head + at, text - at);
    if (!step.valid) {
      // Only a sequence the head's limit cut off is left out.
      const bool cutOff = step.cutShort && headCut && text == byteCount;
      return cutOff && beyondAscii ? PreviewSpan{PreviewEncoding::Utf8, 0, at}
                                   : PreviewSpan{PreviewEncoding::Ansi, 0, text};
    }
    beyondAscii = beyondAscii || step.length > 1;
    at += step.length;
  }
  return {beyondAscii ? PreviewEncoding::Utf8 : PreviewEncoding::Ansi, 0, text};
}

uint32_t Utf8SequenceLength(const uint8_t* bytes, size_t byteCount) {
  const Utf8Step step = DecodeUtf8(bytes, byteCount < 4 ? static_cast<uint32_t>(byteCount) : 4);
  return step.valid ? step.length : 0;
}

uint32_t NextPreviewCharacter(PreviewEncoding encoding, const uint8_t* bytes, uint32_t length, uint32_t& at) {
  if (encoding != PreviewEncoding::Utf16Le && encoding != PreviewEncoding::Utf16Be) {
    const Utf8Step step = DecodeUtf8(bytes + at, length - at);
    at += step.length;
    return step.character;
  }
  if (length - at < 2) {  // a lone last byte
    at = length;
    return kReplacementCharacter;
  }
  const uint32_t unit = Unit(encoding, bytes + at);
  at += 2;
  if (IsLowSurrogate(unit)) return kReplacementCharacter;
  if (!IsHighSurrogate(unit)) return unit;
  if (length - at < 2 || !IsLowSurrogate(Unit(encoding, bytes + at))) return kReplacementCharacter;
  const uint32_t low = Unit(encoding, bytes + at);
  at += 2;
  return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

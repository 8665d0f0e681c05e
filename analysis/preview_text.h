// What the preview of a head is made of: the text a file declares or proves
// it is written in, and otherwise its bytes in the ANSI code page, as ever.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PreviewEncoding : uint8_t { Ansi, Utf8, Utf16Le, Utf16Be };

// The bytes of the head the preview is made of, and how they are read.
struct PreviewSpan {
  PreviewEncoding encoding;
  uint32_t start;   // past a byte-order mark, which is not shown
  uint32_t length;  // in bytes
};

// Where the preview of the head's byteCount bytes lies (headCut: the file
// goes on past them):
// - after a UTF-16 byte-order mark (FF FE little-endian, FE FF big-endian):
//   whole 16-bit units up to the first zero unit or the head's end;
// - after the UTF-8 mark (EF BB BF): the bytes up to the first zero byte;
// - bytes up to the first zero byte that are valid UTF-8 with at least one
//   sequence of two bytes or more: those, as UTF-8 (a sequence cut short by
//   the end of a cut head is left out);
// - anything else: the bytes up to the first zero byte, in the code page.
PreviewSpan FindPreview(const uint8_t* head, uint32_t byteCount, bool headCut);

// The next character of a UTF-8 or UTF-16 preview at bytes[at] (at < length),
// moving at past it: U+FFFD for the longest start of a sequence that is not
// valid UTF-8, and for a lone UTF-16 surrogate.
uint32_t NextPreviewCharacter(PreviewEncoding encoding, const uint8_t* bytes, uint32_t length, uint32_t& at);

// Length of the valid UTF-8 sequence at bytes (byteCount > 0), or 0 when
// there is none.
uint32_t Utf8SequenceLength(const uint8_t* bytes, size_t byteCount);

// What stands for what cannot be read.
constexpr uint32_t kReplacementCharacter = 0xFFFD;

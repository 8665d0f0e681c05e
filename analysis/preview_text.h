// What the preview of a head is made of: the text a file declares or proves
// it is written in, and otherwise its bytes in the ANSI code page, as ever.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PreviewEncoding : uint8_t { Ansi, Utf8, Utf16Le, Utf16Be, Utf32Le, Utf32Be };

// The bytes of the head the preview is made of, and how they are read.
struct PreviewSpan {
  PreviewEncoding encoding;
  uint32_t start;   // past a byte-order mark, which is not shown
  uint32_t length;  // in bytes
  bool cut;         // it runs to the end of a head the file goes on past
};

// Where the preview of the head's byteCount bytes lies (headCut: the file
// goes on past them):
// - after a UTF-32 byte-order mark (FF FE 00 00 little-endian, 00 00 FE FF
//   big-endian), or else a UTF-16 one (FF FE, FE FF): whole units up to the
//   first zero unit or the head's end;
// - after the UTF-8 mark (EF BB BF): the bytes up to the first zero byte;
// - bytes up to the first zero byte that are valid UTF-8 with at least one
//   sequence of two bytes or more: those, as UTF-8;
// - anything else: the bytes up to the first zero byte, in the code page.
// A character the end of a cut head parts (a UTF-8 sequence cut short, a
// UTF-16 high surrogate without its partner) is left out; one the file
// itself ends inside stays, and reads as U+FFFD. A code page's own
// multi-byte characters are left to its reader (see PreviewWideText).
PreviewSpan FindPreview(const uint8_t* head, uint32_t byteCount, bool headCut);

// The next character of a Unicode preview at bytes[at] (at < length),
// moving at past it: U+FFFD for the longest start of a sequence that is not
// valid UTF-8, for a lone UTF-16 surrogate and for a UTF-32 unit that is no
// character.
uint32_t NextPreviewCharacter(PreviewEncoding encoding, const uint8_t* bytes, uint32_t length, uint32_t& at);

// Length of the valid UTF-8 sequence at bytes (byteCount > 0), or 0 when
// there is none.
uint32_t Utf8SequenceLength(const uint8_t* bytes, size_t byteCount);

// What stands for what cannot be read.
constexpr uint32_t kReplacementCharacter = 0xFFFD;

// The code page an ANSI preview is read in: the system's ANSI code page on
// Windows, which the window shows it in too; Windows-1252 elsewhere.
uint32_t AnsiCodePage();

#ifdef _WIN32
// A preview's length bytes as Windows text, in at most capacity units (as
// many as the bytes always do): a Unicode one by its characters, an ANSI one
// in the system's code page, where the lead byte of a double-byte character
// that ends a cut preview (see PreviewSpan) is left out. Returns its length.
// Both front ends show this text, so that they agree on every system.
size_t PreviewWideText(PreviewEncoding encoding, const uint8_t* bytes, uint32_t length, bool cut, wchar_t* text,
                       size_t capacity);
#endif

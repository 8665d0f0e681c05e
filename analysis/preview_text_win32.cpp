#include <windows.h>

#include "preview_text.h"

uint32_t AnsiCodePage() { return GetACP(); }

size_t PreviewWideText(PreviewEncoding encoding, const uint8_t* bytes, uint32_t length, bool cut, wchar_t* text,
                       size_t capacity) {
  if (encoding == PreviewEncoding::Ansi) {
    // A lead byte the head's limit parted from its second byte is left out,
    // as a cut character is in every other encoding.
    uint32_t at = 0;
    while (cut && at + 1 < length) at += IsDBCSLeadByteEx(CP_ACP, bytes[at]) ? 2 : 1;
    if (cut && at + 1 == length && IsDBCSLeadByteEx(CP_ACP, bytes[at])) --length;
    if (length == 0) return 0;
    return static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes),
                                                   static_cast<int>(length), text, static_cast<int>(capacity)));
  }
  size_t written = 0;
  for (uint32_t at = 0; at < length && written + 2 <= capacity;) {
    const uint32_t character = NextPreviewCharacter(encoding, bytes, length, at);
    if (character >= 0x10000) {
      text[written++] = static_cast<wchar_t>(0xD800 + ((character - 0x10000) >> 10));
      text[written++] = static_cast<wchar_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
    } else {
      text[written++] = static_cast<wchar_t>(character);
    }
  }
  return written;
}

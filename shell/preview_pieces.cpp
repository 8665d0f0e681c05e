#include "preview_pieces.h"

size_t PreviewPieceEnd(const wchar_t* text, size_t length, size_t at, size_t most) {
  if (length - at <= most) return length;
  const size_t end = at + most;
  const bool highSurrogate = text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF;
  const bool lineEnd = text[end - 1] == L'\r' && text[end] == L'\n';
  return highSurrogate || lineEnd ? end - 1 : end;
}

// The preview field is filled in pieces added at its end: an edit field may
// wrap a long paragraph again from its start for every line it breaks, while
// an addition rewraps only from the line it starts in.
#pragma once

#include <cstddef>

// Units in a piece, besides its terminator.
constexpr size_t kPreviewPiece = 8192;

// Where the piece of text (length units) that starts at at ends: at most
// most units on (most >= 2), and never inside a surrogate pair or between the
// carriage return and the line feed of a line end.
size_t PreviewPieceEnd(const wchar_t* text, size_t length, size_t at, size_t most = kPreviewPiece);

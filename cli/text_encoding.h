// Turning the program's 8-bit texts into UTF-8 for consoles and JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "preview_text.h"

// The Unicode code point of a Windows-1252 byte. The five bytes the code page
// leaves undefined map to the C1 control of the same value, as Windows does.
uint32_t DecodeWindows1252(uint8_t byte);

// Writes a code point as UTF-8.
void WriteUtf8(FILE* out, uint32_t codePoint);

// Writes bytes decoded as Windows-1252 inside a JSON string (no quotes),
// escaped as RFC 8259 requires.
void WriteJsonWindows1252(FILE* out, const char* bytes, size_t byteCount);

// Writes UTF-8 bytes inside a JSON string. A byte of no valid sequence becomes
// \udcXX, XX its value, as Python's "surrogateescape" reads it: no valid UTF-8
// gives a lone surrogate, so no two byte strings give the same JSON text.
void WriteJsonUtf8(FILE* out, const char* bytes, size_t byteCount);

// Writes UTF-8 bytes for a terminal: valid sequences stay; the bytes of a
// control character (C0, DEL or C1) and of no valid sequence become \xHH, so
// that a name can neither drive the terminal nor forge a line of the report.
void WriteConsoleUtf8(FILE* out, const char* bytes, size_t byteCount);

// Writes bytes decoded as Windows-1252 for a terminal: line feeds and tabs
// stay, carriage returns go, other control bytes become U+FFFD so that a
// file cannot drive the terminal.
void WriteConsoleWindows1252(FILE* out, const char* bytes, size_t byteCount);

// A preview inside a JSON string, and for a terminal (as the Windows-1252
// writers do): an ANSI one in Windows-1252, a UTF-8 or UTF-16 one as its
// characters (see NextPreviewCharacter).
void WriteJsonPreview(FILE* out, PreviewEncoding encoding, const char* bytes, size_t byteCount);
void WriteConsolePreview(FILE* out, PreviewEncoding encoding, const char* bytes, size_t byteCount);

// How a preview was read, as JSON names it: "ansi", "utf-8", "utf-16le", "utf-16be", "utf-32le" or
// "utf-32be".
const char* PreviewEncodingName(PreviewEncoding encoding);

#include "text_encoding.h"

#include <array>

namespace {

constexpr uint16_t kHighControls[] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void WriteJsonCodePoint(FILE* out, uint32_t codePoint) {
  switch (codePoint) {
    case '"': fputs("\\\"", out); return;
    case '\\': fputs("\\\\", out); return;
    case '\n': fputs("\\n", out); return;
    case '\r': fputs("\\r", out); return;
    case '\t': fputs("\\t", out); return;
    case '\b': fputs("\\b", out); return;
    case '\f': fputs("\\f", out); return;
    default: break;
  }
  if (codePoint < 0x20) {
    fprintf(out, "\\u%04x", static_cast<unsigned>(codePoint));
    return;
  }
  WriteUtf8(out, codePoint);
}

// Printable ASCII goes out as it is, a run in one write: most text is made of it.
bool IsJsonPlain(uint8_t byte) { return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\'; }

bool IsConsolePlain(uint8_t byte) { return (byte >= 0x20 && byte < 0x7F) || byte == '\n' || byte == '\t'; }

size_t WritePlainRun(FILE* out, const char* bytes, size_t byteCount, bool (*plain)(uint8_t)) {
  size_t length = 0;
  while (length < byteCount && plain(static_cast<uint8_t>(bytes[length]))) ++length;
  fwrite(bytes, 1, length, out);
  return length;
}

}  // namespace

uint32_t DecodeWindows1252(uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

void WriteUtf8(FILE* out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    fputc(static_cast<int>(codePoint), out);
  } else if (codePoint < 0x800) {
    fputc(static_cast<int>(0xC0 | (codePoint >> 6)), out);
    fputc(static_cast<int>(0x80 | (codePoint & 0x3F)), out);
  } else if (codePoint < 0x10000) {
    fputc(static_cast<int>(0xE0 | (codePoint >> 12)), out);
    fputc(static_cast<int>(0x80 | ((codePoint >> 6) & 0x3F)), out);
    fputc(static_cast<int>(0x80 | (codePoint & 0x3F)), out);
  } else {
    fputc(static_cast<int>(0xF0 | (codePoint >> 18)), out);
    fputc(static_cast<int>(0x80 | ((codePoint >> 12) & 0x3F)), out);
    fputc(static_cast<int>(0x80 | ((codePoint >> 6) & 0x3F)), out);
    fputc(static_cast<int>(0x80 | (codePoint & 0x3F)), out);
  }
}

void WriteJsonWindows1252(FILE* out, const char* bytes, size_t byteCount) {
  for (size_t i = 0; i < byteCount; ++i) {
    i += WritePlainRun(out, bytes + i, byteCount - i, IsJsonPlain);
    if (i < byteCount) WriteJsonCodePoint(out, DecodeWindows1252(static_cast<uint8_t>(bytes[i])));
  }
}

void WriteJsonUtf8(FILE* out, const char* bytes, size_t byteCount) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes);
  size_t i = 0;
  while (i < byteCount) {
    // Plain ASCII and whole UTF-8 sequences go out as they are, a run in one write.
    size_t end = i;
    for (size_t length{}; end < byteCount; end += length) {
      length = IsJsonPlain(data[end]) ? 1 : Utf8SequenceLength(data + end, byteCount - end);
      if (length == 0 || (length == 1 && !IsJsonPlain(data[end]))) break;
    }
    fwrite(data + i, 1, end - i, out);
    i = end;
    if (i == byteCount) break;
    if (data[i] < 0x80) {
      WriteJsonCodePoint(out, data[i]);
    } else {
      fprintf(out, "\\udc%02x", data[i]);
    }
    ++i;
  }
}

void WriteConsoleUtf8(FILE* out, const char* bytes, size_t byteCount) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < byteCount;) {
    const size_t length = Utf8SequenceLength(data + i, byteCount - i);
    // A valid lead byte C2 starts a two-byte sequence; below A0 its second byte makes a C1 control.
    const bool control = length == 0 || data[i] < 0x20 || data[i] == 0x7F || (data[i] == 0xC2 && data[i + 1] < 0xA0);
    if (!control) {
      fwrite(data + i, 1, length, out);
      i += length;
      continue;
    }
    for (const size_t end = i + (length == 0 ? 1 : length); i < end; ++i) fprintf(out, "\\x%02x", data[i]);
  }
}

namespace {

// Each character of a Unicode preview, written by write.
template <typename Write>
void ForEachCharacter(PreviewEncoding encoding, const char* bytes, size_t byteCount, Write write) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes);
  for (uint32_t at = 0; at < byteCount;)
    write(NextPreviewCharacter(encoding, data, static_cast<uint32_t>(byteCount), at));
}

void WriteConsoleCharacter(FILE* out, uint32_t character) {
  if (character == '\r') return;
  // Line feeds and tabs stay; other controls (C0, DEL and C1) become U+FFFD.
  const bool control =
      character != '\n' && character != '\t' && (character < 0x20 || (character >= 0x7F && character < 0xA0));
  WriteUtf8(out, control ? kReplacementCharacter : character);
}

}  // namespace

void WriteJsonPreview(FILE* out, PreviewEncoding encoding, const char* bytes, size_t byteCount) {
  if (encoding == PreviewEncoding::Ansi) return WriteJsonWindows1252(out, bytes, byteCount);
  ForEachCharacter(encoding, bytes, byteCount, [out](uint32_t character) { WriteJsonCodePoint(out, character); });
}

void WriteConsolePreview(FILE* out, PreviewEncoding encoding, const char* bytes, size_t byteCount) {
  if (encoding == PreviewEncoding::Ansi) return WriteConsoleWindows1252(out, bytes, byteCount);
  ForEachCharacter(encoding, bytes, byteCount, [out](uint32_t character) { WriteConsoleCharacter(out, character); });
}

const char* PreviewEncodingName(PreviewEncoding encoding) {
  switch (encoding) {
    case PreviewEncoding::Utf8: return "utf-8";
    case PreviewEncoding::Utf16Le: return "utf-16le";
    case PreviewEncoding::Utf16Be: return "utf-16be";
    case PreviewEncoding::Utf32Le: return "utf-32le";
    case PreviewEncoding::Utf32Be: return "utf-32be";
    case PreviewEncoding::Ansi: break;
  }
  return "ansi";
}

void WriteConsoleWindows1252(FILE* out, const char* bytes, size_t byteCount) {
  for (size_t i = 0; i < byteCount; ++i) {
    i += WritePlainRun(out, bytes + i, byteCount - i, IsConsolePlain);
    if (i == byteCount) break;
    const uint32_t codePoint = DecodeWindows1252(static_cast<uint8_t>(bytes[i]));
    if (codePoint == '\r') continue;
    // Line feeds, tabs and printable ASCII went out in the run: what is left
    // below U+00A0 is a C0 control, DEL or a C1 control.
    const bool control = codePoint < 0xA0;
    WriteUtf8(out, control ? 0xFFFD : codePoint);
  }
}

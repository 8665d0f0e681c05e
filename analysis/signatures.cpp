#include "signatures.h"

const SignatureRow kSignatureTable[] = {
    {8, 4, "WAVE", "Windows PCM Audio"},
    {0, 2, "MZ", "Portable Executable (Exe)"},
    {0, 2, "BM", "Windows Bitmap Image"},
    {0, 3, "GIF", "Graphic Interchange Format"},
    {8, 3, "AVI", "Audio / Video Interleave"},
    {6, 4, "JFIF", "JPEG Image"},
    {1, 4, "HTML", "HTML Web Page"},
    {2, 3, "XML", "eXtendible Markup Language"},
    {0, 2, "PK", "Zip File"},
    {1, 16, "INTERNETSHORTCUT", "Internet Shortcut"},
    {0, 5, "%PDF-", "Portable Document Format"},
    // Offset 2: the standard Rich Text header is an opening brace, a backslash
    // and "rtf".
    {2, 3, "RTF", "Rich Text File"},
    {8, 4, "ACON", "Animated Icon"},
    {4, 4, "MOOV", "QuickTime Movie"},
    {0, 4, "VREN", "Vren File"},
    {0, 4, "BRUM", "Brumvex Settings"},
    {0, 1, "[", "INItialisation File"},
    {0, 1, "?", "Win Help"},
    {.offset = {}, .length = 0, .signature = "", .description = "Unknown"},  // never compared
};

namespace {

bool RowMatches(const SignatureRow& row, const uint8_t* head, size_t byteCount) {
  if (row.offset > byteCount || row.length > byteCount - row.offset) return false;
  for (uint32_t i = 0; i < row.length; ++i) {
    uint8_t b = head[row.offset + i];  // a zero byte never matches: no signature holds one
    if (b >= 0x61 && b <= 0x7A) b = static_cast<uint8_t>(b - 0x20);
    if (b != static_cast<uint8_t>(row.signature[i])) return false;
  }
  return true;
}

}  // namespace

const char* IdentifyType(const uint8_t* head, size_t byteCount) {
  const SignatureRow* row = kSignatureTable;
  for (; row->length != 0; ++row) {
    if (RowMatches(*row, head, byteCount)) return row->description;
  }
  return row->description;
}

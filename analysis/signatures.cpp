#include "signatures.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// A row compares the whole literal, zero bytes and all.
template <size_t N>
constexpr SignatureRow Row(uint32_t offset, const char (&signature)[N], const char* description) {
  return {offset, N - 1, signature, description};
}

constexpr uint8_t Upper(uint8_t b) { return b >= 0x61 && b <= 0x7A ? static_cast<uint8_t>(b - 0x20) : b; }

}  // namespace

// clang-format off
constexpr SignatureRow kSignatureTable[] = {
    Row(8, "WAVE", "Windows PCM Audio"),
    Row(0, "MZ", "Portable Executable (Exe)"),
    Row(0, "BM", "Windows Bitmap Image"),
    Row(0, "GIF", "Graphic Interchange Format"),
    Row(8, "AVI", "Audio / Video Interleave"),
    Row(6, "JFIF", "JPEG Image"),
    Row(1, "HTML", "HTML Web Page"),
    Row(2, "XML", "eXtendible Markup Language"),
    Row(0, "PK", "Zip File"),
    Row(1, "INTERNETSHORTCUT", "Internet Shortcut"),
    Row(0, "%PDF-", "Portable Document Format"),
    // Offset 2: the standard Rich Text header is an opening brace, a backslash
    // and "rtf".
    Row(2, "RTF", "Rich Text File"),
    Row(8, "ACON", "Animated Icon"),
    Row(4, "MOOV", "QuickTime Movie"),
    Row(0, "VREN", "Vren File"),
    Row(0, "BRUM", "Brumvex Settings"),
    Row(0, "[", "INItialisation File"),
    Row(0, "?", "Win Help"),
    Row(0, "", "Unknown"),  // never compared
};
// clang-format on

// The head's letters are upper-cased before they are compared, so a row with
// a lower-case letter would never match.
static_assert(std::all_of(std::begin(kSignatureTable), std::end(kSignatureTable),
                          [](const SignatureRow& row) {
                            const std::string_view bytes(row.signature, row.length);
                            return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return Upper(b) == b; });
                          }),
              "a signature is written upper-cased");

namespace {

bool RowMatches(const SignatureRow& row, const uint8_t* head, size_t byteCount) {
  if (row.offset > byteCount || row.length > byteCount - row.offset) return false;
  for (uint32_t i = 0; i < row.length; ++i) {
    if (Upper(head[row.offset + i]) != static_cast<uint8_t>(row.signature[i])) return false;
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

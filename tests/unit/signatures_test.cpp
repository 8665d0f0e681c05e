#include "signatures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct ExpectedRow {
  uint32_t offset;
  uint32_t length;
  const char* signature;
  const char* description;
};

// The table as users know it; the descriptions are shown verbatim.
const ExpectedRow kExpected[] = {
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
    {2, 3, "RTF", "Rich Text File"},
    {8, 4, "ACON", "Animated Icon"},
    {4, 4, "MOOV", "QuickTime Movie"},
    {0, 4, "VREN", "Vren File"},
    {0, 4, "BRUM", "Brumvex Settings"},
    {0, 1, "[", "INItialisation File"},
    {0, 1, "?", "Win Help"},
};
constexpr size_t kExpectedCount = sizeof kExpected / sizeof kExpected[0];

std::string ChangeCase(const char* text, char from, char to) {
  std::string changed(text);
  for (char& c : changed) {
    if (c >= from && c <= from + 25) c = static_cast<char>(c - from + to);
  }
  return changed;
}

std::string Lower(const char* text) { return ChangeCase(text, 'A', 'a'); }
std::string Upper(const char* text) { return ChangeCase(text, 'a', 'A'); }

// A head holding only the row's signature, at its offset, after filler that
// no row matches. Sized exactly, so a read past the end is a real overrun.
std::vector<uint8_t> HeadFor(const ExpectedRow& row, const std::string& signature) {
  std::vector<uint8_t> head(row.offset + row.length, '~');
  memcpy(head.data() + row.offset, signature.data(), row.length);
  return head;
}

std::string Identify(const std::string& head) {
  const std::vector<uint8_t> bytes(head.begin(), head.end());
  return IdentifyType(bytes.data(), bytes.size());
}

TEST(SignatureTable, HasEighteenWellFormedRowsAndTheDefault) {
  ASSERT_EQ(kExpectedCount, kSignatureRowCount);
  for (size_t i = 0; i < kSignatureRowCount; ++i) {
    const SignatureRow& row = kSignatureTable[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(row.length, strlen(row.signature));  // no zero byte inside
    EXPECT_EQ(Upper(row.signature), row.signature);
  }
  EXPECT_EQ(0u, kSignatureTable[kSignatureRowCount].length);
  EXPECT_STREQ("Unknown", kSignatureTable[kSignatureRowCount].description);
}

TEST(IdentifyType, EveryRowMatchesItsSignatureInEitherCase) {
  for (const ExpectedRow& row : kExpected) {
    SCOPED_TRACE(row.signature);
    for (const std::string& signature : {std::string(row.signature), Lower(row.signature)}) {
      const std::vector<uint8_t> head = HeadFor(row, signature);
      EXPECT_STREQ(row.description, IdentifyType(head.data(), head.size()));
    }
  }
}

// One byte short of the row's range never matches it, whatever the buffer
// holds past the head: those bytes belong to an earlier file.
TEST(IdentifyType, RowNeedsItsWholeRangeInsideTheHead) {
  for (const ExpectedRow& row : kExpected) {
    SCOPED_TRACE(row.signature);
    const std::vector<uint8_t> full = HeadFor(row, row.signature);
    EXPECT_STRNE(row.description, IdentifyType(full.data(), full.size() - 1));
    EXPECT_STREQ("Unknown", IdentifyType(full.data(), 0));
  }
  EXPECT_STREQ("Unknown", IdentifyType(nullptr, 0));
}

TEST(IdentifyType, ShortFilesAfterARiffFileNeverMatchTheRiffRows) {
  const struct {
    const char* form;
    size_t end;  // head length from which the row may match
    const char* type;
  } forms[] = {{"WAVEfmt ", 12, "Windows PCM Audio"},
               {"AVI LIST", 11, "Audio / Video Interleave"},
               {"ACONLIST", 12, "Animated Icon"}};
  for (const auto& f : forms) {
    std::string stale = "RIFF\x24\x08\x00\x00"s + f.form;
    const auto* head = reinterpret_cast<const uint8_t*>(stale.data());
    for (size_t n = 1; n < f.end; ++n) EXPECT_STREQ("Unknown", IdentifyType(head, n)) << f.form << " n=" << n;
    EXPECT_STREQ(f.type, IdentifyType(head, f.end));
    stale[0] = 'a';  // a one-byte file holding the letter a
    EXPECT_STREQ("Unknown", IdentifyType(head, 1));
  }
}

TEST(IdentifyType, ZeroByteInsideTheRangeBlocksTheRow) {
  for (const ExpectedRow& row : kExpected) {
    for (uint32_t i = 0; i < row.length; ++i) {
      SCOPED_TRACE(testing::Message() << row.signature << " position " << i);
      std::vector<uint8_t> head = HeadFor(row, row.signature);
      head[row.offset + i] = 0;
      EXPECT_STRNE(row.description, IdentifyType(head.data(), head.size()));
    }
  }
}

TEST(IdentifyType, FoldsOnlyTheAsciiLetters) {
  EXPECT_EQ("Portable Executable (Exe)", Identify("mZ"));
  EXPECT_EQ("Portable Executable (Exe)", Identify("Mz"));
  // The same letters with the high bit set, and bytes one case-bit away from
  // a signature byte that are not letters, stay as they are.
  EXPECT_EQ("Unknown", Identify("\xCD\xDA"));
  EXPECT_EQ("Unknown", Identify("\xED\xFA"));
  EXPECT_EQ("Unknown", Identify("{abc"));                          // '{' is '[' with the case bit
  EXPECT_EQ("Unknown", Identify(std::string(1, '\x1F') + "abc"));  // '?' without it
  EXPECT_EQ("Unknown", Identify("\x05PDF-"));                      // '%' without it
}

TEST(IdentifyType, KnownLayouts) {
  const std::string riff = "RIFF\x24\x08\x00\x00"s;
  const struct {
    std::string head;
    const char* type;
  } cases[] = {
      {riff + "WAVEfmt ", "Windows PCM Audio"},
      {riff + "AVI LIST", "Audio / Video Interleave"},
      {riff + "ACONLIST", "Animated Icon"},
      {"MZ\x90\x00\x03\x00\x00\x00WAVE"s, "Windows PCM Audio"},  // earlier rows win
      {"MZ\x90\x00\x03"s, "Portable Executable (Exe)"},
      {"mz is how this plain text begins", "Portable Executable (Exe)"},
      {"BM6\x0C", "Windows Bitmap Image"},
      {"GIF89a", "Graphic Interchange Format"},
      {"\xFF\xD8\xFF\xE0\x00\x10JFIF\x00"s, "JPEG Image"},
      {"\xFF\xD8\xFF\xE1\x00\x10"
       "Exif\x00"s,
       "Unknown"},
      {"<html>", "HTML Web Page"},
      {"<HTML>", "HTML Web Page"},
      {"<hTmL>", "HTML Web Page"},
      {"<!DOCTYPE html>", "Unknown"},
      {"<?xml version=\"1.0\"?>", "eXtendible Markup Language"},
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?>", "Unknown"},
      {"PK\x03\x04", "Zip File"},
      {"[InternetShortcut]\r\nURL=x", "Internet Shortcut"},
      {"[Settings]\r\n", "INItialisation File"},
      {"[HTMLHelp]", "HTML Web Page"},
      {"%PDF-1.4", "Portable Document Format"},
      {"%pdf-1.7", "Portable Document Format"},
      {"%PDF", "Unknown"},
      {"{\\rtf1\\ansi", "Rich Text File"},
      {"xrtf", "Unknown"},
      {"\x00\x00\x00\x20moov"s, "QuickTime Movie"},
      {"\x00\x00\x00\x18"
       "ftypqt  "s,
       "Unknown"},
      {"vren", "Vren File"},
      {"Brum settings", "Brumvex Settings"},
      {"?_\x03\x00"s, "Win Help"},
      {"?html", "HTML Web Page"},
      {"\xE9", "Unknown"},
      {"plain words", "Unknown"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.head));
    EXPECT_EQ(c.type, Identify(c.head));
  }
}

}  // namespace

#include "signatures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

const char* Identify(const std::string& head, size_t n) {
  return IdentifyType(reinterpret_cast<const uint8_t*>(head.data()), n);
}

// One head per row, ending where the row's range ends, with filler no row
// takes; several in lower case.
TEST(IdentifyType, EachRowFromItsOwnHead) {
  const struct {
    std::string head;
    const char* type;
  } rows[] = {
      {"RIFF\x24\x08\0\0wave"s, "Windows PCM Audio"},
      {"mz", "Portable Executable (Exe)"},
      {"BM", "Windows Bitmap Image"},
      {"GIF", "Graphic Interchange Format"},
      {"RIFF\x24\x08\0\0AVI"s, "Audio / Video Interleave"},
      {"\xFF\xD8\xFF\xE0\0\x10JFIF"s, "JPEG Image"},
      {"<html", "HTML Web Page"},
      {"<?xml", "eXtendible Markup Language"},
      {"PK", "Zip File"},
      {"[InternetShortcut", "Internet Shortcut"},
      {"%pdf-", "Portable Document Format"},
      {"{\\rtf", "Rich Text File"},
      {"RIFF\x24\x08\0\0ACON"s, "Animated Icon"},
      {"\0\0\0\x20moov"s, "QuickTime Movie"},
      {"Vren", "Vren File"},
      {"BRUM", "Brumvex Settings"},
      {"[", "INItialisation File"},
      {"?", "Win Help"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.type);
    EXPECT_STREQ(Identify(row.head, row.head.size()), row.type);
    // A shorter head never reaches the row, whatever follows it in memory.
    for (size_t n = 0; n < row.head.size(); ++n) EXPECT_STRNE(Identify(row.head, n), row.type) << n;
    std::string zeroed = row.head;
    zeroed.back() = '\0';
    EXPECT_STRNE(Identify(zeroed, zeroed.size()), row.type);
  }
}

TEST(IdentifyType, OrderAndCaseDecide) {
  EXPECT_STREQ(Identify("MZ\x90\0\x03\0\0\0WAVE"s, 12), "Windows PCM Audio");  // earlier rows win
  EXPECT_STREQ(Identify("[HTMLHelp]", 10), "HTML Web Page");
  EXPECT_STREQ(Identify("\xCD\xDA", 2), "Unknown");  // M and Z with the high bit: no letters
  EXPECT_STREQ(Identify("\xE9", 1), "Unknown");
}

}  // namespace

#include "text_encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace std::string_literals;
using Writer = void (*)(FILE*, const char*, size_t);

// Everything write puts into a file, as bytes.
template <typename Write>
std::string Written(Write write) {
  FILE* out = tmpfile();
  write(out);
  std::string bytes(static_cast<size_t>(ftell(out)), '\0');
  rewind(out);
  EXPECT_EQ(fread(bytes.data(), 1, bytes.size(), out), bytes.size());
  fclose(out);
  return bytes;
}

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(TextEncoding, Writers) {
  const struct {
    Writer write;
    std::string in;
    std::string out;
  } rows[] = {
      {WriteJsonWindows1252, "\"\\\n\r\t\b\f/", R"(\"\\\n\r\t\b\f/)"},
      {WriteJsonWindows1252, "\x01\x1F \x7F"s, "\\u0001\\u001f \x7F"},
      {WriteJsonWindows1252, "\x80\x81\x9F\xA0\xE9", "\xE2\x82\xAC\xC2\x81\xC5\xB8\xC2\xA0\xC3\xA9"},
      {WriteJsonUtf8OrWindows1252, "a\"\xC2\x80\xF4\x8F\xBF\xBF\xE9", "a\\\"\xC2\x80\xF4\x8F\xBF\xBF\xC3\xA9"},
      {WriteJsonUtf8OrWindows1252, "\xED\xA0\x80\n", "\xC3\xAD\xC2\xA0\xE2\x82\xAC\\n"},  // a surrogate, byte by byte
      {WriteConsoleWindows1252, "a\r\nb\tc \x1B\x7F\x81\x9F~",
       "a\nb\tc " + kReplacement + kReplacement + kReplacement + "\xC5\xB8~"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Written([&](FILE* out) { row.write(out, row.in.data(), row.in.size()); }), row.out) << row.in;
  }
  // The count ends a sequence even when the rest of it follows in memory.
  EXPECT_EQ(Written([](FILE* out) { WriteJsonUtf8OrWindows1252(out, "a\xE2\x82\xAC", 3); }), "a\xC3\xA2\xE2\x80\x9A");
}

TEST(TextEncoding, Utf8AtTheLimitsOfEachLength) {
  const struct {
    uint32_t codePoint;
    std::string bytes;
  } valid[] = {{0x7F, "\x7F"},
               {0x80, "\xC2\x80"},
               {0x7FF, "\xDF\xBF"},
               {0x800, "\xE0\xA0\x80"},
               {0xD7FF, "\xED\x9F\xBF"},
               {0xE000, "\xEE\x80\x80"},
               {0xFFFF, "\xEF\xBF\xBF"},
               {0x10000, "\xF0\x90\x80\x80"},
               {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  for (const auto& v : valid) {
    EXPECT_EQ(Written([&](FILE* out) { WriteUtf8(out, v.codePoint); }), v.bytes);
    EXPECT_EQ(Utf8SequenceLength(reinterpret_cast<const uint8_t*>(v.bytes.data()), v.bytes.size()), v.bytes.size());
  }
  // Stray, cut short, overlong, surrogate, past Unicode, five bytes.
  for (const std::string invalid : {"\x80",
                                    "\xC3"
                                    "A",
                                    "\xE2\x82", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80",
                                    "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80"}) {
    EXPECT_EQ(Utf8SequenceLength(reinterpret_cast<const uint8_t*>(invalid.data()), invalid.size()), 0u) << invalid;
  }
}

}  // namespace
